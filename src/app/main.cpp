#include "app/AppStringIds.h"
#include "app/MainFrame.h"
#include "model/QtMessages.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {
enum ExitCode { ExitSuccess = 0, ExitNoDisplay = 1, ExitUsage = 2 };

void Print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fputc('\n', stream);
}

// On X11 and Wayland desktops a missing display makes Qt abort with a terse message about
// platform plugins; say what is wrong and how to run the program instead.
bool DisplayAvailable(int argc, char** argv)
{
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    (void)argc;
    (void)argv;
    return true;
#else
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
#endif
}
} // namespace

int main(int argc, char** argv)
{
    QString port;
    // Qt's own options (-platform, -style ...) pass through to QApplication.
    std::vector<char*> qtArguments {argv[0]};
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--version") == 0) {
            Print(stdout, TitleBaseText());
            return ExitSuccess;
        }
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            Print(stdout, ResourceString(IDS_APP_USAGE));
            return ExitSuccess;
        }
        if (std::strcmp(argument, "--port") == 0) {
            if (i + 1 >= argc) {
                Print(stderr, FormatResource(IDS_APP_OPTION_NEEDS_VALUE, argument));
                Print(stderr, ResourceString(IDS_APP_USAGE));
                return ExitUsage;
            }
            port = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (std::strncmp(argument, "--port=", 7) == 0) {
            port = QString::fromLocal8Bit(argument + 7);
            continue;
        }
        if (std::strncmp(argument, "--", 2) == 0) {
            Print(stderr, FormatResource(IDS_APP_UNKNOWN_OPTION, argument));
            Print(stderr, ResourceString(IDS_APP_USAGE));
            return ExitUsage;
        }
        qtArguments.push_back(argv[i]);
    }
    if (!DisplayAvailable(argc, argv)) {
        Print(stderr, ResourceString(IDS_APP_NO_DISPLAY));
        return ExitNoDisplay;
    }

    int qtArgc = static_cast<int>(qtArguments.size());
    qtArguments.push_back(nullptr);
    KeepQtMessagesOffTheTerminal(false);
    QApplication application(qtArgc, qtArguments.data());
    QApplication::setOrganizationName(QStringLiteral("Brimwell"));
    QApplication::setApplicationName(QStringLiteral("QRO4000 Utility"));
    // The installed menu entry and icon (packaging/): the desktop shows them for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.qro4000.Utility"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("qro4000-utility")));

    CMainFrame frame(port);
    frame.show();
    return QApplication::exec();
}
