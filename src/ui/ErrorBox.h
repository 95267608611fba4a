#pragma once
#include "model/Types.h"
#include "model/UserPrompt.h"

class CModelBase;

// The error box a sequence dialog shows when its sequence ends with an error: the code's text
// under the dialog's caption, with the error icon.
void ShowErrorBox(IUserPrompt* prompt, DWORD code, unsigned captionId);

// An error the user must act on: the text goes to the status line as well, so it stays in
// view after the box is closed.
void PopupError(CModelBase& model, IUserPrompt* prompt, unsigned captionId, const QString& text,
    IUserPrompt::Icon icon = IUserPrompt::Icon::Error);
