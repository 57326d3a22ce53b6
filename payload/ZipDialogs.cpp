#include "ZipDialogs.h"

#include "Form.h"
#include "MessageBoxes.h"

namespace {

using K = ControlKind;

const ControlDesc PromptControls[] = {
    // Kind, Name, Parent, Left, Top, Width, Height, Caption, Flags, Extra, Color, FontHeight, Hint
    {K::Label, "l_Prompt", nullptr, 8, 8, 0, 0, "Enter password: ", 0, nullptr, 0, 0, nullptr},
    {K::Edit, "e_Value", nullptr, 8, 28, 268, 0, nullptr, cfPassword, nullptr, 0, 0, nullptr},
    {K::Button, "b_OK", nullptr, 62, 64, 75, 25, "OK", cfDefault, nullptr, 0, 0, nullptr},
    {K::Button, "b_Cancel", nullptr, 146, 64, 75, 25, "Cancel", cfCancel, nullptr, 0, 0, nullptr},
};

const FormDesc PromptLayout = {
    "TPasswordPrompt",
    284,
    100,
    clBtnFaceLight,
    "Verdana",
    13,
    true,
    PromptControls,
    sizeof PromptControls / sizeof PromptControls[0],
};

class PasswordPrompt : public Form {
public:
    PasswordPrompt(const std::string& Caption, const std::string& Label, const std::string& Password)
        : Form(PromptLayout)
    {
        SetCaption(Caption);
        Get<Control>("l_Prompt").SetText(Label);
        Get<Edit>("e_Value").SetText(Password);
        Get<Button>("b_OK").OnClick = [this] {
            Accepted = true;
            Close();
        };
        Get<Button>("b_Cancel").OnClick = [this] { Close(); };
    }
    bool Accepted = false;

protected:
    void FormActivate() override
    {
        Edit& value = Get<Edit>("e_Value");
        value.SetFocus();
        SendMessageA(value.Handle(), EM_SETSEL, 0, -1);
    }
};

} // namespace

bool ZipDialogs::AskPassword(const std::string& Caption, const std::string& Label, std::string& Password)
{
    PasswordPrompt prompt(Caption, Label, Password);
    prompt.ShowModal();
    if (prompt.Accepted)
        Password = prompt.Get<Edit>("e_Value").Text();
    return prompt.Accepted;
}

// The Abort/Retry/Ignore box: a confirmation box; Abort or closing it is faAbort.
TZAAction ZipDialogs::AskFileFailure(const std::string& Text)
{
    switch (ConfirmationBox(Text, MB_ABORTRETRYIGNORE)) {
    case IDRETRY:
        return faRetry;
    case IDIGNORE:
        return faIgnore;
    default:
        return faAbort;
    }
}
