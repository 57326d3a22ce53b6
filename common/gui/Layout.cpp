#include "Layout.h"

#include <cstring>

int LayoutControlId(const FormDesc& Form, const char* Name)
{
    for (size_t i = 0; i < Form.ControlCount; ++i)
        if (std::strcmp(Form.Controls[i].Name, Name) == 0)
            return FirstControlId + static_cast<int>(i);
    return -1;
}
