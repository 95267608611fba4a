// The desktop program's command line, run as a separate process: what it says before it ever
// needs a display.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

// What the program says for each command line, with no display of any kind in its environment.
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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QRO_UTILITY_PATH), GetParam().arguments);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), GetParam().exitCode);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    const QString& said = GetParam().onStandardOutput ? out : err;
    EXPECT_TRUE((GetParam().onStandardOutput ? err : out).isEmpty());
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
