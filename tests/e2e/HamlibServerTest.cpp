// Hamlib's amplifier protocol from the real "qro4000 serve --hamlib" on the simulated amplifier,
// side by side with Debian's own ampctld and its dummy amplifier (ampctld -m 1), the reference
// for the form of every answer.
#include "CliProcess.h"
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>

namespace {
// Sends `bytes` as a shell user would, "printf ... | nc -N 127.0.0.1 PORT" (nc closes its sending
// side at once): everything answered up to the close.
QStringList Exchange(quint16 port, const QByteArray& bytes, const QString& from = QStringLiteral("127.0.0.1"))
{
    QProcess nc;
    nc.start(QStringLiteral("/usr/bin/nc"), {"-N", "-s", from, "127.0.0.1", QString::number(port)});
    nc.write(bytes);
    nc.closeWriteChannel();
    nc.waitForFinished(10000);
    const QStringList lines = QString::fromLatin1(nc.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return nc.exitCode() == 0 ? lines : QStringList {QStringLiteral("(no connection)")};
}

// One answer on a connection kept open: the lines up to its RPRT record (or the close).
QStringList NextAnswer(QTcpSocket& socket)
{
    QStringList lines;
    while (lines.isEmpty() || !lines.last().contains(QLatin1String("RPRT "))) {
        if (!socket.canReadLine() && !socket.waitForReadyRead(10000))
            break;
        if (socket.canReadLine())
            lines.append(QString::fromLatin1(socket.readLine()).chopped(1));
    }
    return lines;
}
} // namespace

class HamlibServer : public CliTest {
protected:

    // Starts the server on a free port (its log names it) and waits for the first poll cycle.
    // Serial number 4321 rather than the default: the answers must come from the amplifier.
    void Serve(const QStringList& extra = {"--hamlib-raw"}, const QString& simOptions = {},
        const QString& from = QStringLiteral("127.0.0.1"))
    {
        Start(m_server, QStringList {"-p", "SIM", "serve", "--share", "off", "--hamlib", "127.0.0.1:0"} + extra,
            ",serial=4321" + simOptions);
        const QRegularExpression listening(QStringLiteral("\\(ampctld\\) at 127\\.0\\.0\\.1:(\\d+)\\D"));
        QRegularExpressionMatch match;
        ASSERT_TRUE(m_server.WaitUntil([&] { return (match = listening.match(m_server.err)).hasMatch(); }))
            << m_server.err.toStdString();
        m_port = static_cast<quint16>(match.captured(1).toUInt());
        // The first poll cycle's readings: until then the power status is "not available".
        RunEventsUntil([&] { return Exchange(m_port, "+\\get_powerstat\n", from).value(2) == "RPRT 0"; }, 20000, 100);
    }

    CChild m_server;
    quint16 m_port = 0;
};

TEST_F(HamlibServer, AnswersInTheFormOfHamlibsOwnDaemonWithTheAmplifiersValues)
{
    Serve();
    CChild reference;
    const quint16 referencePort = FreePort();
    reference.Process().start(QStringLiteral("/usr/bin/ampctld"), {"-m", "1", "-t", QString::number(referencePort)});
    ASSERT_TRUE(reference.Process().waitForStarted(10000)) << "ampctld (libhamlib-utils) is needed";
    RunEventsUntil([&] { return Exchange(referencePort, "f\n").value(0) != "(no connection)"; }, 5000, 50);

    struct Row {
        const char* command;
        const char* reference; // what ampctld is asked for the form ("" the same; newer levels take a known one's)
        const char* answer; // ours, whole, lines joined by "\n"
    };
    const Row rows[] = {
        {"\\dump_state", "", "0"},
        {"+\\dump_state", "", "dump_state:\nampctld Protocol Ver: 0\nAmplifier Model: QRO4000\nRPRT 0"},
        {"_", "", "Brimwell QRO4000, serial number 4321, firmware 01\\.53"},
        {"+\\get_info", "", "get_info:\nInfo: Brimwell QRO4000, serial number 4321, firmware 01\\.53\nRPRT 0"},
        {"f", "", "14200000"},
        {"+f", "", "get_freq:\nFrequency\\(Hz\\): 14200000\nRPRT 0"},
        {"|f", "", "get_freq:\\|Frequency\\(Hz\\): 14200000\\|RPRT 0"},
        {"+\\get_powerstat", "", "get_powerstat:\nPower Status: 4\nRPRT 0"},
        {"l PWRINPUT", "", "\\d{1,2}"},
        {"+\\get_level PWRFORWARD", "", "get_level: PWRFORWARD\n\\d{1,4}\nRPRT 0"},
        {"+l FAULT", "", "get_level: FAULT\nNo Fault\nRPRT 0"},
        {"+l WARNING", "+l FAULT", "get_level: WARNING\nNo Warning\nRPRT 0"},
        {"+l TEMP_METER", "+l PWRFORWARD", "get_level: TEMP_METER\n[2-9]\\d\\.000000\nRPRT 0"},
        {"+l VD_METER", "+l PWRFORWARD", "get_level: VD_METER\n[45]\\d\\.\\d{3}000\nRPRT 0"},
        {"l ID_METER", "l PWRFORWARD", "\\d{1,2}\\.000000"},
        {"+l ?", "",
            "get_level: \\?\nSWR PWRINPUT PWRFORWARD PWRREFLECTED FAULT WARNING TEMP_METER VD_METER ID_METER \nRPRT 0"},
        {"+l NOSUCH", "", "get_level: NOSUCH\nRPRT -1"},
        {"+L SWR 2", "", "set_level: SWR 2\nRPRT -11"},
        {"\\set_powerstat 1", "", "RPRT 0"},
    };
    for (const Row& row : rows) {
        const QStringList ours = Exchange(m_port, QByteArray(row.command) + '\n');
        EXPECT_TRUE(QRegularExpression(QStringLiteral("\\A%1\\z").arg(row.answer)).match(ours.join('\n')).hasMatch())
            << row.command << " answered:\n"
            << ours.join('\n').toStdString();
        const QString asked = *row.reference ? QString::fromLatin1(row.reference) : QString::fromLatin1(row.command);
        QStringList theirs = Exchange(referencePort, asked.toLatin1() + '\n');
        // The form: as many lines, the same header (for the level asked) and the same RPRT record.
        ASSERT_EQ(ours.size(), theirs.size()) << row.command << " vs ampctld:\n" << theirs.join('\n').toStdString();
        if (asked.startsWith('+')) {
            EXPECT_EQ(
                ours.first(), theirs.first().replace(asked.section(' ', -1), QString(row.command).section(' ', -1)));
        }
        if (theirs.last().startsWith(QLatin1String("RPRT")) || ours.last().startsWith(QLatin1String("RPRT"))) {
            EXPECT_EQ(ours.last(), theirs.last()) << row.command;
        }
    }
    // A line behind one that waits for the amplifier is answered too, though the client's input ends.
    EXPECT_EQ(Exchange(m_port, "R 2\nf\n"), QStringList({"RPRT 0", "14200000"}));
    // The capabilities: a list of their own between the same first and last records.
    const QStringList caps = Exchange(m_port, "+\\dump_caps\n"), theirCaps = Exchange(referencePort, "+\\dump_caps\n");
    EXPECT_EQ(caps.first(), theirCaps.first());
    EXPECT_EQ(caps.last(), theirCaps.last());
}

TEST_F(HamlibServer, BadInputAndRequestsAnswerTheirCodeOnOneConnection)
{
    Serve();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_port);
    ASSERT_TRUE(socket.waitForConnected(5000));
    const struct {
        QByteArray line;
        const char* answer;
    } rows[] = {
        {"\\no_such", "RPRT -1"}, // ampctld answers nothing at all
        {"+\\no_such", "RPRT -1"}, {"l", "RPRT -1"}, {"f 14000000", "RPRT -1"},
        {QByteArray("f\x01\xff\x00 ", 6), "RPRT -1"},
        {"+l PWRPEAK", "get_level: PWRPEAK\nRPRT -11"}, // the amplifier has no peak reading
        {"+l swr", "get_level: swr\nRPRT -1"}, {"+R 1", "reset: 1\nRPRT -11"}, {"+R x", "reset: x\nRPRT -1"},
        {"+\\set_powerstat 2", "set_powerstat: 2\nRPRT -11"}, // standby: a key that toggles
        {"+F 7100000", "set_freq: 7100000\nRPRT -11"}, {"+w ^rv", "send_cmd: \\^rv\nReply: \\^RV01\\.53;\nRPRT 0"},
        {"+w ^ec;", "send_cmd: \\^ec;\nRPRT -19"}, // erases the configuration: never for a client
        {"+w ^on0;", "send_cmd: \\^on0;\nRPRT -19"}, // the power switch has its own command
        {"+R 2", "reset: 2\nRPRT 0"}, {";\\set_powerstat 0", "set_powerstat: 0;RPRT 0"},
        {"+\\get_powerstat", "get_powerstat:\nPower Status: 0\nRPRT 0"},
        {"+l PWRFORWARD", "get_level: PWRFORWARD\nRPRT -20"}, {"+R 2", "reset: 2\nRPRT -20"},
        {"\\set_powerstat 1", "RPRT 0"}, {"+f", "get_freq:\nFrequency\\(Hz\\): 14200000\nRPRT 0"},
        {QByteArray(2000, 'f'), "RPRT -1"}, // then the connection is closed
    };
    for (const auto& row : rows) {
        socket.write(row.line + '\n');
        const QString answer = NextAnswer(socket).join('\n');
        EXPECT_TRUE(QRegularExpression(QStringLiteral("\\A%1\\z").arg(row.answer)).match(answer).hasMatch())
            << row.line.left(40).toStdString() << " answered:\n"
            << answer.toStdString();
    }
    EXPECT_TRUE(socket.state() == QAbstractSocket::UnconnectedState || socket.waitForDisconnected(5000));
    // A client that never reads what it asked for is cut off; the others are served meanwhile.
    QTcpSocket deaf;
    deaf.connectToHost(QHostAddress::LocalHost, m_port);
    ASSERT_TRUE(deaf.waitForConnected(5000));
    deaf.setReadBufferSize(1);
    const QByteArray flood = QByteArray("\\dump_caps\n").repeated(4000);
    for (int i = 0; i < 40 && deaf.state() == QAbstractSocket::ConnectedState; ++i) {
        deaf.write(flood);
        deaf.waitForBytesWritten(200);
        EXPECT_EQ(Exchange(m_port, "\\get_powerstat\n"), QStringList {"4"});
    }
    EXPECT_TRUE(deaf.state() == QAbstractSocket::UnconnectedState || deaf.waitForDisconnected(10000));
    EXPECT_TRUE(m_server.WaitForErr("does not read what it is sent: cut off")) << m_server.err.toStdString();
    EXPECT_THAT(m_server.err, HasText("sends a line longer than 1024 bytes: cut off"));
}

// Answers carry no address: each must reach the client that asked, in its order.
TEST_F(HamlibServer, FourClientsOfAThousandRequestsEachGetTheirOwnAnswers)
{
    Serve();
    const QByteArray commands[] = {"+f", "+\\get_powerstat", "+l FAULT", "+_"};
    const QString headers[] = {"get_freq:", "get_powerstat:", "get_level: FAULT", "get_info:"};
    QTcpSocket clients[4];
    int answered[4] = {};
    for (int i = 0; i < 4; ++i) {
        clients[i].connectToHost(QHostAddress::LocalHost, m_port);
        ASSERT_TRUE(clients[i].waitForConnected(5000));
        clients[i].write((commands[i] + '\n').repeated(1000));
    }
    QElapsedTimer clock;
    clock.start();
    while (answered[0] + answered[1] + answered[2] + answered[3] < 4000 && clock.elapsed() < 60000) {
        for (int i = 0; i < 4; ++i) {
            clients[i].waitForReadyRead(5);
            while (clients[i].bytesAvailable() > 0 && clients[i].canReadLine()) {
                const QStringList answer = NextAnswer(clients[i]);
                ASSERT_EQ(answer.size(), 3) << answer.join('\n').toStdString();
                ASSERT_EQ(answer.first(), headers[i]);
                ASSERT_EQ(answer.last(), QStringLiteral("RPRT 0"));
                ++answered[i];
            }
        }
    }
    EXPECT_THAT(answered, ::testing::ElementsAre(1000, 1000, 1000, 1000));
}

TEST_F(HamlibServer, OutsidersAndALostAmplifierAreAnsweredAsSuch)
{
    // Only 127.0.0.2 may connect; the amplifier vanishes after 4 s.
    Serve({"--allow", "127.0.0.2/32"}, ",unplug-after=4000", "127.0.0.2");
    EXPECT_EQ(Exchange(m_port, "+f\n"), QStringList {});
    QStringList answer;
    RunEventsUntil(
        [&] { return (answer = Exchange(m_port, "+l PWRFORWARD\n", "127.0.0.2")).value(1) == "RPRT -6"; }, 30000, 200);
    // Amplifier lost: the last readings are never given as current, and nothing is asked of it.
    // Raw commands are refused without --hamlib-raw.
    EXPECT_EQ(answer, QStringList({"get_level: PWRFORWARD", "RPRT -6"}));
    EXPECT_EQ(Exchange(m_port, "+f\n+\\get_powerstat\nR 2\nw ^rv;\n", "127.0.0.2"),
        QStringList({"get_freq:", "RPRT -6", "get_powerstat:", "RPRT -6", "RPRT -6", "RPRT -19"}));
    EXPECT_TRUE(m_server.WaitForErr("Refused a Hamlib connection from 127.0.0.1:")) << m_server.err.toStdString();
}
