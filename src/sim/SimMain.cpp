// qro4000-sim: a simulated QRO4000 on a pseudo-terminal. Prints the terminal's path (one line)
// and serves until SIGINT or SIGTERM; any program that opens that path as its serial port talks
// to the simulated amplifier.
#include "link/QtEventHost.h"
#include "model/FileChecks.h"
#include "model/RevisionText.h"
#include "sim/PtyServer.h"
#include "sim/SimFirmwareImage.h"
#include "sim/SimOptions.h"
#include "sim/TerminationSignals.h"
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {
enum { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

void PrintUsage(FILE* stream)
{
    std::fprintf(stream,
        "Usage: qro4000-sim [options]\n"
        "Serves a simulated Brimwell QRO4000 on a pseudo-terminal and prints its path.\n\n"
        "  --link PATH                make PATH a symbolic link to the terminal (removed at exit)\n"
        "  --dump PREFIX              at exit, write the configuration memory to PREFIX.eeprom and the\n"
        "                             application flash to PREFIX.flash (raw bytes), to check them\n"
        "  --make-image FILE          write a demonstration firmware file for --revision R and exit\n"
        "  --no-pace                  deliver bytes at once instead of at the line's bit rate\n"
        "  --stats-file PATH          keep the number of commands received in PATH (for benchmarks)\n");
    for (const SimSetting& s : SimSettings()) {
        const QByteArray left = QByteArray("--") + s.name + (s.value ? QByteArray(" ") + s.value : QByteArray());
        std::fprintf(stream, "  %-26s %s%s\n", left.constData(), s.fault ? "fault: " : "", s.help);
    }
    std::fprintf(stream, "  %-26s %s\n", "--version", "print the program's name and revision, then exit");
    std::fprintf(stream, "  %-26s %s\n", "-h, --help", "this text");
}

bool WriteDump(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "qro4000-sim: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}

// A firmware file the simulated amplifier recognises: after it is loaded, the amplifier reports
// the revision it carries, so the firmware demonstration ends in a verified load.
int MakeImage(const QString& path, WORD revision)
{
    QString message;
    if (revision == 0 || revision > 9999) {
        std::fprintf(stderr, "qro4000-sim: --revision must be 1 ... 9999 for an image\n");
        return ExitUsage;
    }
    if (FileChecks::CheckSaveDestination(path, &message) != 0) {
        std::fprintf(stderr, "qro4000-sim: %s\n", qPrintable(message));
        return ExitFailure;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SimFirmwareImage::MakeHexImage(revision)) < 0
        || !file.commit()) {
        std::fprintf(stderr, "qro4000-sim: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return ExitFailure;
    }
    std::printf("%s\n", qPrintable(path));
    return ExitSuccess;
}

int Usage(const QString& message)
{
    std::fprintf(stderr, "qro4000-sim: %s\n", qPrintable(message));
    PrintUsage(stderr);
    return ExitUsage;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CSimDevice::Options options;
    options.pace = true;
    CSimDevice::Faults faults;
    QString link;
    QString dump;
    QString statsFile;
    QString makeImage;

    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        QString a = args[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            PrintUsage(stdout);
            return ExitSuccess;
        }
        if (a == QLatin1String("--version")) {
            std::printf("%s\n", qPrintable(TitleBaseText()));
            return ExitSuccess;
        }
        if (!a.startsWith(QLatin1String("--")))
            return Usage(QStringLiteral("unexpected argument \"%1\"").arg(a));
        a = a.mid(2);
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = a.indexOf(QLatin1Char('=')); eq >= 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
            hasValue = true;
        }
        if (a == QLatin1String("no-pace")) {
            options.pace = false;
            continue;
        }
        // Options that name a file.
        const std::pair<const char*, QString*> paths[] = {
            {"link", &link}, {"dump", &dump}, {"make-image", &makeImage}, {"stats-file", &statsFile}};
        QString* path = nullptr;
        for (const auto& [name, target] : paths)
            if (a == QLatin1String(name))
                path = target;
        const SimSetting* setting = FindSimSetting(a);
        if (!path && !setting)
            return Usage(QStringLiteral("unknown option --%1").arg(a));
        if ((path || setting->value) && !hasValue) {
            if (i + 1 >= args.size())
                return Usage(QStringLiteral("--%1 needs a value").arg(a));
            value = args[++i];
        }
        if (path) {
            *path = value;
            continue;
        }
        QString error;
        if (!ApplySimSetting(a, value, &options, &faults, &error))
            return Usage(error);
    }

    if (!makeImage.isEmpty())
        return MakeImage(makeImage, options.revision);

    CQtEventHost host;
    auto device = std::make_shared<CSimDevice>(host, options);
    device->GetFaults() = faults;
    CPtyServer server(device);
    QString error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "qro4000-sim: cannot create a pseudo-terminal: %s\n", qPrintable(error));
        return ExitFailure;
    }
    if (!link.isEmpty() && !server.MakeLink(link, &error)) {
        std::fprintf(stderr, "qro4000-sim: cannot make the link %s: %s\n", qPrintable(link), qPrintable(error));
        return ExitFailure;
    }
    CTerminationSignals termination([&app](int) { app.quit(); });

    // The path is the one thing on standard output, so that scripts can read it with one line.
    std::printf("%s\n", qPrintable(server.SlavePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "qro4000-sim: QRO4000 %s at %u bit/s, revision %02u.%02u, serial number %05u%s%s\n",
        options.bootLoader ? "boot loader" : "application", static_cast<unsigned>(options.speed),
        options.revision / 100u, options.revision % 100u, static_cast<unsigned>(options.serialNumber),
        options.pace ? "" : ", not paced", link.isEmpty() ? "" : qPrintable(QStringLiteral(", link ") + link));
    std::fflush(stderr);

    // The device vanishes like a USB adapter pulled out: the terminal and the link go away.
    auto unplug = [device]() {
        std::fprintf(stderr, "qro4000-sim: unplugged\n");
        std::fflush(stderr);
        device->Unplug();
    };
    if (faults.unplugged)
        unplug();
    else if (faults.unplugAfterMs)
        host.StartTimer(faults.unplugAfterMs, unplug);

    // A benchmark reads how many commands the program under test sent in its measuring window.
    QTimer stats;
    qsizetype counted = 0;
    long long commands = 0;
    QObject::connect(&stats, &QTimer::timeout, [&]() {
        const QByteArray log = device->ReceivedLog();
        commands += std::count(log.constBegin() + counted, log.constEnd(), ';');
        counted = log.size();
        QSaveFile file(statsFile);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(QByteArray::number(commands) + '\n');
            file.commit();
        }
    });
    if (!statsFile.isEmpty())
        stats.start(250);

    const int code = app.exec();
    server.Stop();
    if (!dump.isEmpty() && !(WriteDump(dump + QStringLiteral(".eeprom"), device->Eeprom())
            && WriteDump(dump + QStringLiteral(".flash"), device->Flash())))
        return ExitFailure;
    return code == 0 ? ExitSuccess : ExitFailure;
}
