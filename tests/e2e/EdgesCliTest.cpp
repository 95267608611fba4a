// The command line and the remote ports where the world is unkind: output that cannot be
// written, a reader that goes away, a server that floods, a server that never accepts.
#include "CliProcess.h"
#include "model/ContactStateMachineInterface.h"
#include "link/QtEventHost.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include "model/ResultCode.h"
#include "sim/PortFactory.h"
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
struct FloodRow {
    const char* what;
    QByteArray unit; // sent again and again
    const char* scheme;
};
const FloodRow kFloodRows[] = {
    {"RawData", QByteArray(65536, 'x'), "socket"},
    {"TelnetNegotiations", QByteArray("\xff\xfb\x00\xff\xfc\x00", 6).repeated(10000), "rfc2217"}, // offered, withdrawn
};

class FloodingServer : public CliTest, public ::testing::WithParamInterface<FloodRow> { };

// A loopback server that sends without end and never reads.
TEST_P(FloodingServer, EndsTheContactWithItsOwnError)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&server] {
        QTcpSocket* client = server.nextPendingConnection();
        QObject::connect(client, &QTcpSocket::bytesWritten, client, [client] {
            if (client->bytesToWrite() < GetParam().unit.size())
                client->write(GetParam().unit);
        });
        client->write(GetParam().unit);
    });
    CChild cli;
    Start(cli, {"-p", QStringLiteral("%1://127.0.0.1:%2").arg(GetParam().scheme).arg(server.serverPort()), "info"});
    const CliRun run = Finish(cli);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasText("0xE20000CF: The serial device server sent far more than the amplifier"));
}

INSTANTIATE_TEST_SUITE_P(Rows, FloodingServer, ::testing::ValuesIn(kFloodRows),
    [](const auto& info) { return std::string(info.param.what); });

using EdgesCli = CliTest;

TEST_F(EdgesCli, OutputThatCannotBeWrittenFailsNamingTheFile)
{
    for (const QStringList& args : {QStringList {"--json", "settings"}, QStringList {"faults"},
             QStringList {"monitor", "--count", "2"}}) {
        CChild cli;
        cli.Process().setStandardOutputFile(QStringLiteral("/dev/full"));
        Start(cli, QStringList {"-p", "SIM"} + args, ",fault-entries=4");
        const CliRun run = Finish(cli, 60000);
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString() << "\n" << run.err.toStdString();
        EXPECT_THAT(run.err, HasText("cannot write the output to /dev/full: No space left on device"));
    }
}

TEST_F(EdgesCli, MonitorEndsWhenItsReaderHasGoneAndBrokenPipesAreIgnored)
{
    // As a service runs it: SIGPIPE ignored, the output read by a program that stops reading.
    CChild shell;
    shell.Process().setProcessEnvironment(CliEnvironment(m_dir, {Sim()}));
    shell.Process().start(QStringLiteral("/bin/bash"),
        {"-c", "trap '' PIPE; \"$0\" -p SIM monitor --interval 50 | head -1 >/dev/null; exit ${PIPESTATUS[0]}",
            QStringLiteral(QRO_CLI_PATH)});
    EXPECT_TRUE(shell.Process().waitForFinished(30000)) << "it polls on with nobody to read";
    EXPECT_EQ(shell.Process().exitCode(), 1);
    EXPECT_THAT(QString::fromUtf8(shell.Process().readAllStandardError()), HasText("Broken pipe"));
}

TEST_F(EdgesCli, AFolderThatTakesNoFileIsRefusedOnceWithPermissionAdvice)
{
    const CliRun run = Run({"-p", "SIM", "save-config", "/proc/"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.count("0x00000005: Access is denied"), 1) << run.err.toStdString();
    EXPECT_THAT(run.err, HasText("Access to that file or folder was refused: check its permissions"));
}

// A server that never accepts (the connect waits) and one that accepts and says nothing (the
// RFC 2217 negotiation waits): the open holds up nothing, the event loop runs on meanwhile, and
// a cancel ends the open at once.
TEST(RemoteOpen, SilentServersLeaveTheEventLoopRunningAndACancelEndsTheOpen)
{
    EnsureApplication();
    // A listener whose one place in the queue is taken: the system answers no further
    // connection, so a connect waits for its time-out.
    sockaddr_in full {};
    full.sin_family = AF_INET;
    full.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof full;
    const int fullListener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fullListener, reinterpret_cast<sockaddr*>(&full), length), 0);
    ASSERT_EQ(::listen(fullListener, 0), 0);
    ::getsockname(fullListener, reinterpret_cast<sockaddr*>(&full), &length);
    const int queued = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(queued, reinterpret_cast<const sockaddr*>(&full), sizeof full), 0);
    // A listener with room: the system completes the connection, and nobody ever answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));

    QTemporaryDir home;
    CQtEventHost host;
    CModel model(host, std::make_unique<CQtSettingsStore>(home.filePath("settings.ini")));
    model.SetPortFactory([&](const QString& name) { return CreatePort(name, host, nullptr, nullptr); });
    const QPair<const char*, int> rows[]
        = {{"socket", ntohs(full.sin_port)}, {"rfc2217", ntohs(full.sin_port)}, {"rfc2217", silent.serverPort()}};
    for (const auto& [scheme, port] : rows) {
        model.m_port.Set(QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(port));
        model.ContactMachine()->StartContact();
        EXPECT_FALSE(model.ContactMachine()->IsIdle()) << scheme << ": the open holds up its caller";
        // Ten turns of the event loop, far less than the server's 2 s to answer: an open that
        // waited for the answer inside one turn would have failed by their end.
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(5);
        RunEventsUntil([&] { return ticks >= 10; }, 5000);
        EXPECT_FALSE(model.ContactMachine()->IsIdle()) << scheme << port;
        EXPECT_FALSE(model.IsPortOpen());
        EXPECT_TRUE(model.ContactMachine()->Cancel());
        EXPECT_TRUE(RunEventsUntil([&] { return model.ContactMachine()->IsIdle(); }, 2000));
        EXPECT_EQ(model.ContactMachine()->ResultCode(), Result::Cancelled);
        EXPECT_FALSE(model.IsPortOpen());
    }
    ::close(queued);
    ::close(fullListener);
}
} // namespace
