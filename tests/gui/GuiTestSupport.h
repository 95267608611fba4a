#pragma once
// GUI test helpers: the program's settings (in a temporary folder), a scripted prompt.
#include "model/UserPrompt.h"
#include <QStringList>
#include <QVariant>
#include <deque>
#include <vector>

namespace GuiTest {
void ClearSettings(); // every stored setting of the program
void WriteSetting(const QString& name, const QVariant& value);
QVariant ReadSetting(const QString& name);
} // namespace GuiTest

// Message boxes and questions recorded instead of shown.
class CScriptedPrompt : public IUserPrompt {
public:
    struct Message {
        Icon icon;
        QString caption;
        QString text;
    };
    void ShowMessage(Icon icon, const QString& caption, const QString& text) override;
    bool AskYesNo(Icon icon, const QString& caption, const QString& text) override;
    // From `choices` while there are any, otherwise from `answers` (Yes or No).
    Answer AskYesNoCancel(Icon icon, const QString& caption, const QString& text) override;

    std::vector<Message> messages;
    std::vector<Message> questions;
    std::deque<bool> answers; // answers in order; Yes once they run out
    std::deque<Answer> choices;
    // A box is a nested event loop: with holdMs set, each stays open that long while events go
    // on arriving (up to three deep, so that a cascade still ends); the deepest nesting is kept.
    int holdMs = 0;
    int depth = 0;
    int maxDepth = 0;
};
