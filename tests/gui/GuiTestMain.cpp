// The GUI tests' entry: the real widgets on Qt's offscreen platform, with the program's
// settings, data folders and runtime folder in a temporary directory so that no test ever
// reads or writes the user's own settings.
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform warns about every window hint it cannot honour; nothing to see there.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_previousHandler)
        g_previousHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    const QString root = home.path();
    for (const char* folder : {"config", "data", "runtime", "settings"})
        QDir(root).mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(root + "/runtime"));
    // The simulated amplifier answers at 38400 bit/s and at once: the contact finds it on the
    // fourth speed it tries.
    qputenv("QRO4000_SIM", "baud=38400,pace=0");

    g_previousHandler = qInstallMessageHandler(FilterMessages);
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root + "/settings");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root + "/settings");

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
