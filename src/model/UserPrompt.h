#pragma once
#include <QString>

// Message boxes and questions asked from core code: message boxes in the desktop program,
// standard error (and --yes) on the command line.
class IUserPrompt {
public:
    enum class Icon { Information, Warning, Error, Question };
    virtual void ShowMessage(Icon icon, const QString& caption, const QString& text) = 0;
    // True for Yes.
    virtual bool AskYesNo(Icon icon, const QString& caption, const QString& text) = 0;
    // A question with a way out: Escape, closing the box, "c" or Ctrl+C answer Cancel.
    enum class Answer { Yes, No, Cancel };
    virtual Answer AskYesNoCancel(Icon icon, const QString& caption, const QString& text) = 0;

protected:
    ~IUserPrompt() = default;
};
