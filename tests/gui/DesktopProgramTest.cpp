// The desktop program's command line, run as a separate process: what it says before it ever
// needs a display.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {
struct CProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the program with no display of any kind in its environment.
CProgramRun RunWithoutDisplay(const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QRO_UTILITY_PATH), arguments);
    CProgramRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}
} // namespace

// What the program says for each command line, with no display of any kind.
struct RunCase {
    const char* name;
    QStringList arguments;
    int exitCode;
    bool onStandardOutput;
    QStringList says;
    friend void PrintTo(const RunCase& run, std::ostream* os) { *os << run.name; }
};

class DesktopProgram : public ::testing::TestWithParam<RunCase> { };

TEST_P(DesktopProgram, CommandLine)
{
    const CProgramRun run = RunWithoutDisplay(GetParam().arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    const QString& said = GetParam().onStandardOutput ? run.out : run.err;
    EXPECT_TRUE((GetParam().onStandardOutput ? run.err : run.out).isEmpty());
    for (const QString& text : GetParam().says)
        EXPECT_TRUE(said.contains(text)) << qPrintable(said);
}

INSTANTIATE_TEST_SUITE_P(Options, DesktopProgram,
    ::testing::Values(RunCase {"Version", {"--version"}, 0, true, {"QRO4000 Utility Revision 1.0.0.0\n"}},
        RunCase {"NoDisplay", {"--port", "SIM"}, 1, false,
            {"no display is available", "xvfb-run -a qro4000-utility --port SIM", "QT_QPA_PLATFORM=offscreen"}},
        RunCase {"UnknownOption", {"--colour"}, 2, false,
            {"qro4000-utility: unknown option \"--colour\"", "Usage: qro4000-utility [--port NAME] [--version]"}},
        RunCase {"PortWithoutName", {"--port"}, 2, false, {"qro4000-utility: option \"--port\" needs a value"}}),
    [](const auto& info) { return std::string(info.param.name); });
