#include "ui/ErrorBox.h"
#include "model/ErrorText.h"
#include "model/ModelBase.h"
#include "model/StringTable.h"

void ShowErrorBox(IUserPrompt* prompt, DWORD code, unsigned captionId)
{
    if (prompt)
        prompt->ShowMessage(IUserPrompt::Icon::Error, ResourceString(captionId), GetErrorText(code));
}

void PopupError(CModelBase& model, IUserPrompt* prompt, unsigned captionId, const QString& text, IUserPrompt::Icon icon)
{
    model.Status(text);
    if (prompt)
        prompt->ShowMessage(icon, ResourceString(captionId), text);
}
