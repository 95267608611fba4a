#include "GuiTestSupport.h"
#include <QEventLoop>
#include <QSettings>
#include <QTimer>

namespace GuiTest {
namespace {
// The program's own settings, read afresh each time: the program writes them through another
// QSettings object.
struct CProgramSettings : QSettings {
    CProgramSettings()
        : QSettings(QSettings::NativeFormat, QSettings::UserScope, "Brimwell", "QRO4000 Utility")
    {
        sync();
    }
    ~CProgramSettings() override { sync(); }
};
} // namespace

void ClearSettings()
{
    CProgramSettings().clear();
}

void WriteSetting(const QString& name, const QVariant& value)
{
    CProgramSettings().setValue(name, value);
}

QVariant ReadSetting(const QString& name)
{
    return CProgramSettings().value(name);
}
} // namespace GuiTest

void CScriptedPrompt::ShowMessage(Icon icon, const QString& caption, const QString& text)
{
    messages.push_back({icon, caption, text});
    maxDepth = std::max(maxDepth, ++depth);
    if (holdMs > 0 && depth <= 3) {
        QEventLoop box;
        QTimer::singleShot(holdMs, &box, &QEventLoop::quit);
        box.exec();
    }
    --depth;
}

bool CScriptedPrompt::AskYesNo(Icon icon, const QString& caption, const QString& text)
{
    questions.push_back({icon, caption, text});
    if (answers.empty())
        return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

IUserPrompt::Answer CScriptedPrompt::AskYesNoCancel(Icon icon, const QString& caption, const QString& text)
{
    if (choices.empty())
        return AskYesNo(icon, caption, text) ? Answer::Yes : Answer::No;
    questions.push_back({icon, caption, text});
    const Answer answer = choices.front();
    choices.pop_front();
    return answer;
}
