// The GUI tests' entry: the real widgets on Qt's offscreen platform, with the program's
// settings, data folders and runtime folder in a temporary directory so that no test ever
// reads or writes the user's own settings.
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    QApplication application(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root + "/settings");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root + "/settings");

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
