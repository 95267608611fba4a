// The desktop program's command line, run as a separate process: what it says before it ever
// needs a display.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <ostream>

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

TEST(DesktopProgram, VersionPrintsTheTitleBaseWithoutADisplay)
{
    const CProgramRun run = RunWithoutDisplay({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("QRO4000 Utility Revision 1.0.0.0\n"));
    EXPECT_TRUE(run.err.isEmpty()) << qPrintable(run.err);
}

TEST(DesktopProgram, WithoutADisplayItSaysSoAndHowToRunIt)
{
    const CProgramRun run = RunWithoutDisplay({QStringLiteral("--port"), QStringLiteral("SIM")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QStringLiteral("no display is available"))) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QStringLiteral("xvfb-run -a qro4000-utility --port SIM"))) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QStringLiteral("QT_QPA_PLATFORM=offscreen"))) << qPrintable(run.err);
}

struct UsageCase {
    const char* argument;
    const char* message;
};

void PrintTo(const UsageCase& c, std::ostream* os)
{
    *os << c.argument;
}

class DesktopProgramUsage : public ::testing::TestWithParam<UsageCase> { };

TEST_P(DesktopProgramUsage, BadOptionsAreUsageErrors)
{
    const CProgramRun run = RunWithoutDisplay({QString::fromLatin1(GetParam().argument)});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith(QString::fromLatin1(GetParam().message))) << qPrintable(run.err);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Usage: qro4000-utility [--port NAME] [--version]")));
}

INSTANTIATE_TEST_SUITE_P(Options, DesktopProgramUsage,
    ::testing::Values(UsageCase {"--colour", "qro4000-utility: unknown option \"--colour\""},
        UsageCase {"--port", "qro4000-utility: option \"--port\" needs a value"}));

TEST(DesktopProgram, HelpListsTheOptions)
{
    const CProgramRun run = RunWithoutDisplay({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("--port NAME"))) << qPrintable(run.out);
    EXPECT_TRUE(run.out.contains(QStringLiteral("--version")));
}
