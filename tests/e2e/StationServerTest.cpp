// The station server with the real programs: qro4000-sim on a pseudo-terminal behind
// "qro4000 serve", and several clients through rfc2217:// at the same time.
#include "CliProcess.h"
#include <QJsonDocument>
#include <QTcpServer>
#include <vector>

class StationServer : public CliTest {
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        m_link = m_dir.filePath(QStringLiteral("amplifier"));
        ASSERT_TRUE(StartSimOnPty(m_sim, m_link, {"--baud", "38400", "--no-pace"}).startsWith("/dev/"));
    }

    // Starts the server on a free loopback port and waits until it has the amplifier.
    void Serve(const QStringList& extra = {})
    {
        StartCli(m_server, m_dir, QStringList {"-p", m_link, "serve", "--share", "127.0.0.1:0"} + extra);
        ASSERT_TRUE(m_server.WaitForOut("\n")) << m_server.err.toStdString();
        m_url = m_server.out.trimmed();
        ASSERT_TRUE(m_url.startsWith(QLatin1String("rfc2217://127.0.0.1:"))) << m_url.toStdString();
        EXPECT_TRUE(m_server.WaitForErr("In contact with the amplifier on " + m_link + " at 38400 bit/s (application)"))
            << m_server.err.toStdString();
    }

    // SIGTERM: clients closed, the port released, exit status 0.
    void StopServer()
    {
        m_server.Process().terminate();
        const CliRun run = Finish(m_server, 10000);
        m_serverErr = run.err;
        EXPECT_EQ(run.exitCode, 0) << m_serverErr.toStdString();
        EXPECT_THAT(m_serverErr, HasText("Stopped: clients closed, port " + m_link + " released"));
    }

    QString m_link, m_url, m_serverErr;
    CChild m_sim, m_server;
};

// Three programs at once, pyserial and raw Telnet clients (a firmware load's hold on the line:
// the load through the server below, and LineArbiterTest), one from outside the allowed range.
TEST_F(StationServer, ClientsShareTheAmplifierAtOnceAndOutsidersAndFloodsAreCutOff)
{
    Serve({"--allow", "127.0.0.1/32"});
    const QString shared = m_dir.filePath(QStringLiteral("shared.QRO4000Config"));
    CChild monitor, save, info;
    StartCli(monitor, m_dir, {"-p", m_url, "--json", "monitor", "--count", "8", "--interval", "100"});
    StartCli(save, m_dir, {"-p", m_url, "save-config", shared});
    StartCli(info, m_dir, {"-p", m_url, "info"});
    std::vector<CliRun> runs;
    for (CChild* child : {&monitor, &save, &info}) {
        runs.push_back(Finish(*child, 180000));
        EXPECT_EQ(runs.back().exitCode, 0) << runs.back().err.toStdString();
    }
    const QStringList lines = runs[0].out.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 8);
    for (const QString& line : lines)
        EXPECT_TRUE(QJsonDocument::fromJson(line.toUtf8()).isObject()) << line.toStdString();
    EXPECT_THAT(runs[2].out, HasText("Revision:       01.53"));
    EXPECT_THAT(runs[2].err, HasText("Shared through 127.0.0.1:"));

    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {"-c", QStringLiteral(R"(
import serial, socket
port = %1
s = serial.serial_for_url('rfc2217://127.0.0.1:%d' % port, baudrate=38400, timeout=5)
s.write(b'^sn;')
print(s.read_until(b';').decode())
def connect(source='127.0.0.1'):
    c = socket.create_connection(('127.0.0.1', port), 5, (source, 0))
    c.sendall(bytes([255, 251, 44]))
    return c
def read(c, seconds):
    """What arrives within the seconds, and whether the server closes the connection meanwhile."""
    c.settimeout(seconds)
    data = b''
    try:
        while more := c.recv(4096):
            data += more
        return data, True
    except TimeoutError:
        return data, False
    except OSError:
        return data, True
probe = connect()
read(probe, 0.5)
# A speed of 9600 is answered with the line's 38400 (0x9600); a purge is answered.
probe.sendall(bytes([255, 250, 44, 1, 0, 0, 0x25, 0x80, 255, 240, 255, 250, 44, 12, 1, 255, 240]))
data = read(probe, 1)[0]
print(b'\xff\xfa,e\x00\x00\x96\x00\xff\xf0' in data, b'\xff\xfa,p\x01\xff\xf0' in data)
flood = connect()
flood.sendall(b'^' + b'x' * 20000)
outsider = socket.create_connection(('127.0.0.1', port), 5, ('127.0.0.2', 0))
print('closed:', read(outsider, 5)[1], read(flood, 5)[1])
)").arg(m_url.section(':', -1))});
    ASSERT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError()).trimmed(),
        "^SN01234;\nTrue True\nclosed: True True");
    StopServer();
    EXPECT_THAT(m_serverErr, HasText(" connected"));
    EXPECT_THAT(m_serverErr, HasText(" disconnected"));
    EXPECT_THAT(m_serverErr, HasText("Refused a connection from 127.0.0.2:"));
    EXPECT_THAT(m_serverErr, HasText("sends more than 8192 bytes without waiting for the answers: cut off"));

    // The port is free again: a save straight on it reads the same memory.
    const QString direct = m_dir.filePath(QStringLiteral("direct.QRO4000Config"));
    const CliRun run = RunCli(m_dir, {"-p", m_link, "save-config", direct});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Everything but the time-stamp line and the checksum over it.
    const auto memory = [](const QString& path) { return QString::fromLatin1(ReadWholeFile(path)).section("\r\n", 1, -3); };
    EXPECT_GT(memory(direct).count("\r\nMEM4 "), 4000);
    EXPECT_TRUE(memory(shared) == memory(direct));
}

TEST_F(StationServer, TakesThePortUpAgainWhenTheAmplifierComesBack)
{
    Serve();
    m_sim.Stop(); // the pseudo-terminal's far end closes, as an adapter pulled out
    EXPECT_TRUE(m_server.WaitForErr("Lost the amplifier on " + m_link + "; waiting for it to come back"))
        << m_server.err.toStdString();
    // Meanwhile a client finds a silent amplifier and says so.
    const CliRun lost = RunCli(m_dir, {"-p", m_url, "--timeout", "2", "info"});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_THAT(lost.err, HasText("QRO4000 is not responding"));
    ASSERT_TRUE(StartSimOnPty(m_sim, m_link, {"--baud", "38400", "--no-pace"}).startsWith("/dev/"));
    EXPECT_TRUE(m_server.WaitForErr("In contact with the amplifier on " + m_link, 2)) << m_server.err.toStdString();
    const CliRun back = RunCli(m_dir, {"-p", m_url, "info"});
    EXPECT_EQ(back.exitCode, 0) << back.err.toStdString();
    EXPECT_EQ(m_server.Process().state(), QProcess::Running);
    StopServer();
}

TEST_F(StationServer, AFirmwareLoadThroughTheServerWhileAMonitorRuns)
{
    Serve();
    const QString image = m_dir.filePath(QStringLiteral("qro4000fw0163.hex"));
    ASSERT_EQ(QProcess::execute(QStringLiteral(QRO_SIM_PATH), {"--make-image", image, "--revision", "163"}), 0);
    CChild monitor;
    StartCli(monitor, m_dir, {"-p", m_url, "monitor", "--interval", "200"});
    EXPECT_TRUE(monitor.WaitForErr("Shared through " + m_url.mid(10) + ": other programs use the amplifier too"))
        << monitor.err.toStdString();
    const CliRun load = RunCli(m_dir, {"-p", m_url, "--yes", "firmware", "load", image, "--no-backup"});
    EXPECT_EQ(load.exitCode, 0) << load.err.toStdString();
    EXPECT_THAT(load.out, HasText("QRO4000 verification succeeded"));
    // The monitor learnt why its polls went unanswered, and goes on once the load is done.
    EXPECT_TRUE(monitor.WaitForErr("free again")) << monitor.err.toStdString();
    EXPECT_THAT(monitor.err, HasText("is busy: another program is loading firmware"));
    EXPECT_TRUE(monitor.WaitForOut("\n", static_cast<int>(monitor.out.count('\n')) + 1)) << monitor.err.toStdString();
    StopServer();
    EXPECT_THAT(m_serverErr, HasText("is loading firmware: the line is its own until it leaves"));
    EXPECT_THAT(m_serverErr, HasText("The line is shared again"));
    EXPECT_THAT(m_serverErr, ::testing::Not(HasText("Lost the amplifier")));
}

TEST(StationServerOptions, UsageErrorsAndAnAddressInUse)
{
    EnsureApplication();
    QTemporaryDir home;
    QTcpServer busy;
    ASSERT_TRUE(busy.listen(QHostAddress::LocalHost));
    const QString inUse = QStringLiteral("127.0.0.1:%1").arg(busy.serverPort());
    struct Row {
        QStringList args;
        int exitCode;
        QString said;
    } rows[] = {
        {{"serve", "--share", "0.0.0.0:4541"}, 2, "is not a loopback address: name who may connect with --allow"},
        {{"serve", "--allow", "10.0.0.0/99"}, 2, "--allow needs address ranges"},
        {{"serve", "--share", inUse}, 1, "Cannot listen on " + inUse},
        // The endpoints' own options.
        {{"serve", "--share", "off", "--hamlib", "localhost"}, 2,
            "--hamlib needs ADDR:PORT (for example 127.0.0.1:4531), not \"localhost\""},
        {{"serve", "--share", "off", "--hamlib", "0.0.0.0:4531"}, 2, "0.0.0.0 is not a loopback address"},
        {{"serve", "--share", "off", "--hamlib-raw"}, 2, "--hamlib-raw needs --hamlib ADDR:PORT"},
        {{"serve", "--share", "off", "--mqtt", "broker"}, 2,
            "--mqtt needs HOST:PORT (for example 127.0.0.1:1883), not \"broker\""},
        {{"serve", "--share", "off", "--mqtt-control"}, 2, "--mqtt-control needs --mqtt"},
        {{"serve", "--share", "off", "--mqtt", "127.0.0.1:1883", "--mqtt-prefix", "shack/#"}, 2,
            "--mqtt-prefix needs a topic prefix without +, #"},
        {{"serve", "--share", "off", "--mqtt", "127.0.0.1:1883", "--mqtt-user", "op", "--mqtt-password-file",
             home.filePath("missing")},
            2, "Cannot read the MQTT password from "},
        // A password is never given where every user of the machine can read it.
        {{"serve", "--share", "off", "--mqtt", "127.0.0.1:1883", "--mqtt-password", "x"}, 2,
            "serve: unknown option --mqtt-password"},
        {{"serve", "--share", "off", "--follow-udp", "4533", "--follow-rig", "127.0.0.1:4532"}, 2, ""},
        {{"serve", "--share", "off", "--follow-udp", "192.0.2.1:4533"}, 2, "192.0.2.1 is not a loopback address"},
        {{"serve", "--share", "off", "--follow-udp", "70000"}, 2, ""},
    };
    for (const Row& row : rows) {
        const CliRun run = RunCli(home, QStringList {"-p", "SIM"} + row.args, {}, 30000);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.args.join(' ').toStdString();
        EXPECT_THAT(run.err, HasText(row.said));
    }
    const CliRun help = RunCli(home, {"serve", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasText("--share ADDR:PORT"));
    EXPECT_THAT(help.out, HasText("RFC 2217 has no authentication"));
}
