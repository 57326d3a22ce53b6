#include "LogOnlySink.h"

void LogOnlySink::Log(const std::string& Text, bool Error)
{
    errorLines_ += Error ? 1 : 0;
    if (write_)
        write_(Text, Error);
}
