// Remote stations through Debian's ser2net on loopback, bridging to a simulated amplifier on a
// pseudo-terminal served by this process: the command-line program over RFC 2217 and raw TCP,
// a save and a firmware load compared byte for byte with the amplifier's memory, and servers
// that refuse, are no RFC 2217 server, or go away (the earlier file kept when the line goes in
// the middle of a save: SimPty).
#include "CliProcess.h"
#include "HexTestFiles.h"
#include "SimHarness.h"
#include "config/ConfigSaveStateMachine.h"
#include "firmware/FileNameParts.h"
#include "firmware/McuLoaderStateMachine.h"
#include "link/QtEventHost.h"
#include "sim/PortFactory.h"
#include "sim/PtyServer.h"
#include <QDir>
#include <QStandardPaths>
#include <random>

namespace {
bool Listening(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    return table.open(QIODevice::ReadOnly)
        && table.readAll().contains(
            QStringLiteral("0100007F:%1 00000000:0000 0A").arg(port, 4, 16, QChar('0')).toUpper().toLatin1());
}

// ser2net serving one device on two loopback ports: Telnet with RFC 2217 (passing on what the
// device sends without waiting for more: 4096 answers in a save), and raw TCP with the line
// fixed at 38400 bit/s.
class CSer2net {
public:
    static QString Program() { return QStandardPaths::findExecutable("ser2net", {"/usr/sbin", "/usr/bin"}); }
    // Whether it serves within 10 s.
    bool Start(const QString& device)
    {
        const QString config = m_dir.filePath("ser2net.yaml");
        WriteWholeFile(config, QStringLiteral("connection: &rfc\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                    "  connector: serialdev,%3,230400n81,local\n  options:\n    chardelay: false\n"
                                    "connection: &raw\n  accepter: tcp,127.0.0.1,%2\n"
                                    "  connector: serialdev,%3,38400n81,local\n")
                         .arg(m_rfcPort)
                         .arg(m_rawPort)
                         .arg(device)
                         .toUtf8());
        m_process.Process().start(Program(), {"-n", "-d", "-c", config, "-P", m_dir.filePath("pid")});
        return RunEventsUntil([&] { return Listening(m_rfcPort) && Listening(m_rawPort); }, 10000);
    }
    void Kill()
    {
        m_process.Process().kill();
        m_process.Process().waitForFinished(5000);
    }
    // Whether ser2net still has the device open: it closes it, and sets the line back to how it
    // found it, a moment after the client has gone, and a client of the other port must not
    // come before (its line settings would be undone under it).
    bool HoldsDevice(const QString& device)
    {
        const QString fds = QStringLiteral("/proc/%1/fd").arg(m_process.Process().processId());
        for (const QFileInfo& fd : QDir(fds).entryInfoList(QDir::System | QDir::NoDotAndDotDot))
            if (fd.symLinkTarget() == device)
                return true;
        return false;
    }
    QString Rfc2217Name() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_rfcPort); }
    QString RawName() const { return QStringLiteral("socket://127.0.0.1:%1").arg(m_rawPort); }
    const quint16 m_rfcPort = FreePort();
    const quint16 m_rawPort = FreePort();

private:
    QTemporaryDir m_dir;
    CChild m_process;
};

class RemoteStation : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        CSimDevice::Options options;
        options.speed = 38400; // found only if the speed changes reach the server's port
        options.answerDelayMs = 0;
        options.eraseMs = 50;
        options.revisionAfterLoad = 154;
        device = std::make_shared<CSimDevice>(host, options);
        pty = std::make_unique<CPtyServer>(device);
        QString error;
        ASSERT_TRUE(pty->Start(&error)) << error.toStdString();
        if (CSer2net::Program().isEmpty())
            GTEST_SKIP() << "ser2net (Debian package ser2net) is not installed";
        ASSERT_TRUE(ser2net.Start(pty->SlavePath())) << "ser2net does not listen";
        model = std::make_unique<CModel>(host, std::make_unique<CQtSettingsStore>(home.filePath("settings.ini")));
        model->SetApplicationDataFolder(home.filePath("appdata"));
        model->SetPortFactory([this](const QString& name) { return CreatePort(name, host, &sink, &sink); });
        model->SetStatusSink(&sink);
    }

    bool Connect(const QString& name)
    {
        model->m_port.Set(name);
        model->ContactMachine()->StartContact();
        return RunEventsUntil([&] { return model->ContactMachine()->IsIdle(); }, 30000)
            && model->m_firmwareStatus.m_value == FirmwareApplication;
    }

    // The command-line program, run while this process keeps serving the amplifier.
    CliRun Cli(const QStringList& args, const std::function<void()>& meanwhile = {})
    {
        CChild cli;
        StartCli(cli, home, args);
        if (meanwhile)
            meanwhile();
        return Finish(cli);
    }

    QTemporaryDir home;
    CQtEventHost host;
    std::shared_ptr<CSimDevice> device;
    std::unique_ptr<CPtyServer> pty;
    CSer2net ser2net;
    CRecordingSink sink;
    std::unique_ptr<CModel> model;
};
} // namespace

// Raw TCP cannot change the far port's speed: the amplifier answers at the server's. A raw server
// answers no Telnet: it is no RFC 2217 server. Where nothing listens, the connection is refused.
TEST_F(RemoteStation, CommandLineFindsTheAmplifierThroughBothKindsOfServerAndTellsFailuresApart)
{
    const QString closed = QStringLiteral("rfc2217://127.0.0.1:%1").arg(FreePort());
    const struct {
        QString port;
        int exitCode;
        QString says;
    } rows[] = {
        {ser2net.Rfc2217Name(), 0, "Port speed:     38400 bit/s"},
        {ser2net.RawName(), 0, "Serial number:  01234"},
        {QStringLiteral("rfc2217://127.0.0.1:%1").arg(ser2net.m_rawPort), 1,
            "Error 0xE20000C4: The server does not offer serial port control"},
        {closed, 1, "\"" + closed + "\". Error 0xE20000C0: The serial device server refused"},
    };
    for (const auto& row : rows) {
        const CliRun run = Cli({"-p", row.port, "info"});
        EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString();
        EXPECT_THAT(run.out + run.err, HasText(row.says));
        ASSERT_TRUE(RunEventsUntil([&] { return !ser2net.HoldsDevice(pty->SlavePath()); }, 10000));
    }
}

// Random firmware bytes: IAC (0xFF), CR and NUL among them must reach the boot loader as they are.
TEST_F(RemoteStation, SaveAndFirmwareLoadCarryEveryByte)
{
    std::mt19937 random(7);
    QByteArray image(2048, '\0');
    for (auto& b : image)
        b = static_cast<char>(random());
    QByteArray hex = CHexTestFiles::Record(4, 0, {0x1D, 0x00});
    for (int at = 0; at < image.size(); at += 32)
        hex += CHexTestFiles::Record(
            0, static_cast<WORD>(at), std::vector<BYTE>(image.begin() + at, image.begin() + at + 32));
    CHexTestFiles files;
    model->m_firmwareFile.Set(FileNameParts::Revisioned(files.Write("qro4000fw0154.hex", hex + ":00000001FF\r\n")));

    ASSERT_TRUE(Connect(ser2net.Rfc2217Name()));
    EXPECT_EQ(model->PortSpeed(), 38400u);
    auto* save = model->CreateMachine<CConfigSaveStateMachine>();
    ASSERT_TRUE(save->Start());
    ASSERT_TRUE(RunEventsUntil([&] { return save->IsIdle(); }, 120000));
    ASSERT_EQ(save->ResultCode(), 0u);
    const QByteArray read(reinterpret_cast<const char*>(save->ImageData()), save->GetTotalSize());
    EXPECT_TRUE(read == device->Eeprom().left(read.size()));
    save->Release();

    auto* load = model->CreateMachine<CMcuLoaderStateMachine>();
    ASSERT_TRUE(load->StartLoad(&sink));
    ASSERT_TRUE(RunEventsUntil([&] { return load->IsIdle(); }, 120000));
    EXPECT_EQ(load->ResultCode(), 0u);
    EXPECT_EQ(load->TotalRetries(), 0u);
    EXPECT_TRUE(device->Flash().left(image.size()) == image);
    load->Release();
}

TEST_F(RemoteStation, DroppedConnectionIsReportedOnceLikeAnUnpluggedAdapter)
{
    model->SetUserPrompt(&sink);
    ASSERT_TRUE(Connect(ser2net.Rfc2217Name()));
    ser2net.Kill();
    ASSERT_TRUE(RunEventsUntil([&] { return model->m_portLost.m_value == 1; }, 10000));
    RunEventsUntil([] { return false; }, 200);
    EXPECT_FALSE(model->IsPortOpen());
    // One report, naming the server: one status line and one box, not the port's line and
    // the model's besides.
    const QString lost
        = QStringLiteral("The connection to the serial device server 127.0.0.1:%1 was lost.").arg(ser2net.m_rfcPort);
    EXPECT_EQ(sink.status.filter(QStringLiteral("lost")), QStringList {lost});
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_THAT(sink.messages[0], HasText(lost + "\r\nCheck that the serial device server is running"));

    // The server back: a new contact works.
    ASSERT_TRUE(ser2net.Start(pty->SlavePath()));
    EXPECT_TRUE(Connect(ser2net.Rfc2217Name()));
}

