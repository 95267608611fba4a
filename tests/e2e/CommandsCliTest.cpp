// What the command line may do without a yes: destructive raw commands, keys on a switched-off
// amplifier, and questions answered (or interrupted) at a real terminal.
#include "CliProcess.h"
#include <QDirIterator>
#include <csignal>
#include <vector>

using CommandsCli = CliTest;

// A raw command that cannot be undone is sent only after a yes; without a terminal, --yes.
// Which commands need it is the core's table (DestructiveCommands).
TEST_F(CommandsCli, SendNeedsAYesForDestructiveCommands)
{
    const struct {
        const char* text;
        bool yes;
        int exitCode;
        const char* says;
    } cases[] = {
        {"^rv;", false, 0, ""},
        {"^ld;", false, 1, "\"^ld\" starts the boot loader"},
        {"^ec;", true, 0, ""},
    };
    for (const auto& c : cases) {
        QStringList args {"-p", "SIM", "--trace", "send", c.text};
        if (c.yes)
            args.prepend("--yes");
        const CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.text << run.err.toStdString();
        EXPECT_THAT(run.err, HasText(QString::fromLatin1(c.says))) << c.text;
        if (c.exitCode != 0) {
            EXPECT_THAT(run.err, HasText("Not confirmed: nothing was sent."));
            EXPECT_THAT(run.err, HasText("add --yes to proceed"));
            EXPECT_FALSE(run.err.contains("Attempting to contact")) << "the amplifier was not even contacted";
        }
    }
}

// Keys, bands and relays asked of a switched-off amplifier are refused before anything is sent.
TEST_F(CommandsCli, KeysBandAndRelaysAreNotSentToASwitchedOffAmplifier)
{
    for (const QStringList& request : {QStringList {"press", "antenna"}, QStringList {"relays", "--cap", "100"}}) {
        const CliRun run = Run(QStringList {"-p", "SIM", "--trace"} + request, ",power-off");
        EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
        EXPECT_THAT(run.err, HasText("0xE2000088"));
        EXPECT_FALSE(run.err.contains("^BP") || run.err.contains("^cr") || run.err.contains("^CR"))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

// Questions at a terminal (script(1) gives qro4000 one, whose interrupt character is Ctrl+C):
// an answer that is none of y / n / c asked again, and Ctrl+C at any question ends at once (what
// each answer decides: BackupOffer).
TEST_F(CommandsCli, QuestionsAtATerminal)
{
    const struct {
        const char* name;
        std::vector<std::pair<const char*, const char*>> dialogue; // wait for, then type
        int exitCode;
        const char* says;
        bool reset;
    } cases[] = {
        {"no backup", {{"[y/N]", "y\r"}, {"[y/n/c]", "x\r"}, {"[y/n/c]", "n\r"}}, 0, "No configuration backup was made",
            true},
        {"Ctrl+C at the confirmation", {{"[y/N]", "\x03"}}, 130, "Interrupted at the question", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir home;
        CChild cli;
        cli.Process().setProcessEnvironment(CliEnvironment(home, {Sim()}));
        cli.Process().start(QStringLiteral("script"),
            {"-q", "-e", "-c", QStringLiteral(QRO_CLI_PATH " -p SIM --trace reset-config"), "/dev/null"});
        QMap<QString, int> asked;
        for (const auto& [prompt, keys] : c.dialogue) {
            ASSERT_TRUE(cli.WaitForOut(prompt, ++asked[prompt], 60000)) << cli.out.toStdString();
            cli.Process().write(keys);
        }
        const CliRun run = Finish(cli, 60000);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.out.toStdString();
        EXPECT_THAT(run.out, HasText(c.says));
        EXPECT_EQ(run.out.contains("Send \"^ecqvmst;\""), c.reset);
        EXPECT_FALSE(QDirIterator(home.path(), {"*.QRO4000Config"}, QDir::Files, QDirIterator::Subdirectories).hasNext());
    }
}

// With --reconnect a lost port is waited for, and the gap is marked in the output and the log.
TEST_F(CommandsCli, MonitorWaitsForALostPortWithReconnect)
{
    const QString link = Path("amp"), log = Path("log.csv");
    CChild sim, again, cli;
    ASSERT_FALSE(StartSimOnPty(sim, link, {"--baud", "38400"}).isEmpty());
    Start(cli, {"-p", link, "--json", "monitor", "--interval", "100", "--reconnect", "--csv", log});
    ASSERT_TRUE(cli.WaitForOut("\n", 2, 60000)) << cli.err.toStdString();
    sim.Stop();
    ASSERT_TRUE(cli.WaitForErr("waiting for it to come back", 1, 60000)) << cli.err.toStdString();
    ASSERT_FALSE(StartSimOnPty(again, link, {"--baud", "38400"}).isEmpty());
    ASSERT_TRUE(cli.WaitForOut("\"gap\":true", 1, 60000)) << cli.out.toStdString() << cli.err.toStdString();
    ASSERT_TRUE(cli.WaitForOut("\n", static_cast<int>(cli.out.count('\n')) + 1, 60000));
    ::kill(static_cast<pid_t>(cli.Process().processId()), SIGINT);
    const CliRun run = Finish(cli, 10000);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    int gaps = 0;
    for (const QByteArray& row : ReadWholeFile(log).split('\n'))
        gaps += row.endsWith(QByteArray(16, ',') + '\r') ? 1 : 0;
    EXPECT_EQ(gaps, 1) << ReadWholeFile(log).toStdString();
}
