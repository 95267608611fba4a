// What the command line may do without a yes: destructive raw commands, keys on a switched-off
// amplifier, and questions answered (or interrupted) at a real terminal.
#include "CliProcess.h"
#include <QDir>
#include <QDirIterator>
#include <cstring>
#include <vector>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// qro4000 on a pseudo-terminal: standard input, output and error are the terminal, so questions
// are asked and Ctrl+C is the terminal's own interrupt character.
class CPtyCli {
public:
    ~CPtyCli()
    {
        if (m_pid > 0 && Wait(0) == kRunning) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_master >= 0)
            ::close(m_master);
    }
    bool Start(const QTemporaryDir& home, const QStringList& args, const QString& sim = QStringLiteral("baud=38400,pace=0"))
    {
        QList<QByteArray> argv8 {QByteArray(QRO_CLI_PATH)};
        for (const QString& a : args)
            argv8 << a.toLocal8Bit();
        std::vector<char*> argv;
        for (QByteArray& a : argv8)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const QByteArray homePath = home.path().toLocal8Bit();
        const QByteArray config = QDir(home.path()).filePath(QStringLiteral("config")).toLocal8Bit();
        const QByteArray data = QDir(home.path()).filePath(QStringLiteral("data")).toLocal8Bit();
        const QByteArray simOptions = sim.toLocal8Bit();
        m_pid = ::forkpty(&m_master, nullptr, nullptr, nullptr);
        if (m_pid == 0) {
            ::setenv("HOME", homePath.constData(), 1);
            ::setenv("XDG_CONFIG_HOME", config.constData(), 1);
            ::setenv("XDG_DATA_HOME", data.constData(), 1);
            ::setenv("QRO4000_SIM", simOptions.constData(), 1);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return m_pid > 0;
    }
    // Reads until the output holds `text`; false after the time-out or at the end.
    bool WaitFor(const QString& text, int timeoutMs = 60000)
    {
        for (int waited = 0; !m_output.contains(text);) {
            pollfd p {m_master, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                if ((waited += 50) > timeoutMs)
                    break;
                continue;
            }
            char buffer[65536];
            const ssize_t got = ::read(m_master, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            m_output += QString::fromUtf8(buffer, static_cast<qsizetype>(got));
        }
        return m_output.contains(text);
    }
    void Type(const char* keys) { ASSERT_GT(::write(m_master, keys, std::strlen(keys)), 0); }
    static constexpr int kRunning = -1;
    // The exit status once the program has ended within `timeoutMs`; kRunning otherwise.
    int Wait(int timeoutMs = 60000)
    {
        for (int waited = 0;; waited += 60) {
            int status = 0;
            WaitFor(QStringLiteral("\x01"), 0); // reads what has arrived: the terminal stays drained
            const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
            if (done == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (waited >= timeoutMs)
                return kRunning;
            ::usleep(10000);
        }
    }
    const QString& Output() const { return m_output; }

private:
    pid_t m_pid = -1;
    int m_master = -1;
    QString m_output;
};
} // namespace

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

// Questions at a terminal: y / n / c before a reset, and Ctrl+C at any question ends at once.
TEST_F(CommandsCli, QuestionsAtATerminal)
{
    const struct {
        const char* name;
        QStringList args;
        std::vector<std::pair<const char*, const char*>> dialogue; // wait for, then type
        int exitCode;
        const char* says;
        bool reset;
        int backups;
    } cases[] = {
        {"cancel at the backup question", {"reset-config"}, {{"[y/N]", "y\r"}, {"[y/n/c]", "c\r"}}, 130,
            "Cancelled: nothing was done.", false, 0},
        {"no backup", {"reset-config"}, {{"[y/N]", "y\r"}, {"[y/n/c]", "x\r"}, {"[y/n/c]", "n\r"}}, 0,
            "No configuration backup was made", true, 0},
        {"Ctrl+C at the confirmation", {"reset-config"}, {{"[y/N]", "\x03"}}, 130, "Interrupted at the question",
            false, 0},
    };
    for (const auto& c : cases) {
        QTemporaryDir home;
        CPtyCli cli;
        ASSERT_TRUE(cli.Start(home, QStringList {"-p", "SIM", "--trace"} + c.args)) << c.name;
        for (const auto& [prompt, keys] : c.dialogue) {
            ASSERT_TRUE(cli.WaitFor(QString::fromLatin1(prompt))) << c.name << cli.Output().toStdString();
            cli.Type(keys);
        }
        EXPECT_EQ(cli.Wait(), c.exitCode) << c.name << cli.Output().toStdString();
        EXPECT_THAT(cli.Output(), HasText(QString::fromLatin1(c.says))) << c.name;
        EXPECT_EQ(cli.Output().contains("Send \"^ecqvmst;\""), c.reset) << c.name;
        int backups = 0;
        for (QDirIterator it(home.path(), {"*.QRO4000Config"}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext(); it.next())
            ++backups;
        EXPECT_EQ(backups, c.backups) << c.name;
    }
}

// A lost port ends the monitor with its error, or with --reconnect is waited for, and the gap
// is marked in the output and the log.
TEST_F(CommandsCli, MonitorEndsOnALostPortOrWaitsForItWithReconnect)
{
    const CliRun lost = Run({"-p", "SIM", "monitor", "--interval", "100"}, ",unplug-after=4000", 60000);
    ASSERT_TRUE(lost.finished) << "the monitor went on polling a port that had gone";
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_THAT(lost.err, HasText("has gone away"));
    EXPECT_LE(lost.err.count("Poll cycle failed"), 1) << lost.err.toStdString();

    const QString link = Path("amp");
    const QString log = Path("log.csv");
    CChild sim;
    ASSERT_FALSE(StartSimOnPty(sim, link, {"--baud", "38400"}).isEmpty());
    CChild cli;
    StartCli(cli, m_dir, {"-p", link, "--json", "monitor", "--interval", "100", "--reconnect", "--csv", log});
    ASSERT_TRUE(cli.Process().waitForStarted(10000));
    QByteArray out, err;
    const auto readUntil = [&](QByteArray& into, const char* text, int times = 1) {
        for (int waited = 0; into.count(text) < times && waited < 60000; waited += 100) {
            cli.Process().waitForReadyRead(100);
            out += cli.Process().readAllStandardOutput();
            err += cli.Process().readAllStandardError();
        }
        return into.count(text) >= times;
    };
    ASSERT_TRUE(readUntil(out, "\n", 2)) << err.toStdString();
    sim.Stop();
    ASSERT_TRUE(readUntil(err, "waiting for it to come back")) << err.toStdString();
    CChild again;
    ASSERT_FALSE(StartSimOnPty(again, link, {"--baud", "38400"}).isEmpty());
    ASSERT_TRUE(readUntil(out, "\"gap\":true")) << out.toStdString() << err.toStdString();
    const qsizetype readings = out.count('\n');
    ASSERT_TRUE(readUntil(out, "\n", static_cast<int>(readings) + 1));
    ::kill(static_cast<pid_t>(cli.Process().processId()), SIGINT);
    ASSERT_TRUE(cli.Process().waitForFinished(10000));
    EXPECT_EQ(cli.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.Process().exitCode(), 0) << err.toStdString();
    const QList<QByteArray> rows = ReadWholeFile(log).split('\n');
    int gaps = 0;
    for (const QByteArray& row : rows)
        gaps += row.endsWith(QByteArray(16, ',') + '\r') ? 1 : 0;
    EXPECT_EQ(gaps, 1) << ReadWholeFile(log).toStdString();
}
