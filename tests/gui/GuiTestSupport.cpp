#include "GuiTestSupport.h"
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <QWidget>

namespace GuiTest {
void ClearSettings()
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brimwell", "QRO4000 Utility");
    settings.clear();
    settings.sync();
}

void WriteSetting(const QString& name, const QVariant& value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brimwell", "QRO4000 Utility");
    settings.setValue(name, value);
    settings.sync();
}

QVariant ReadSetting(const QString& name)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brimwell", "QRO4000 Utility");
    settings.sync();
    return settings.value(name);
}

bool HasSetting(const QString& name)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Brimwell", "QRO4000 Utility");
    settings.sync();
    return settings.contains(name);
}

QString ScreenshotFolder()
{
    return QStringLiteral(QRO_BINARY_DIR "/gui-screenshots");
}

bool SaveScreenshot(QWidget* widget, const QString& name)
{
    QDir().mkpath(ScreenshotFolder());
    return widget->window()->grab().save(ScreenshotFolder() + '/' + name + QStringLiteral(".png"));
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
