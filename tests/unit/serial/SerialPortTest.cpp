// The Qt serial port on a real pseudo-terminal: line settings, the seven speeds, writes,
// non-blocking reads, posted notifications, exclusive open and a vanished device.
#include "link/ports/SerialPort.h"
#include "EventLoop.h"
#include "link/QtEventHost.h"
#include "link/VirtualEventHost.h"
#include "model/ResultCode.h"
#include <QCoreApplication>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

namespace {
class CPty {
public:
    CPty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        slave = QString::fromLocal8Bit(ptsname(master));
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~CPty() { CloseMaster(); }
    void CloseMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    speed_t Speed() const
    {
        termios t {};
        tcgetattr(master, &t);
        return cfgetospeed(&t);
    }
    // What has arrived once anything has (within 2 s).
    QByteArray ReadAll() const
    {
        QByteArray out;
        const auto arrived = [&] {
            char buffer[256];
            for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;)
                out.append(buffer, n);
            return !out.isEmpty();
        };
        RunEventsUntil(arrived, 2000);
        return out;
    }
    void Write(const QByteArray& bytes) const
    {
        ASSERT_EQ(::write(master, bytes.constData(), bytes.size()), bytes.size());
    }

    int master = -1;
    QString slave;
};

class SerialPortTest : public ::testing::Test {
protected:
    SerialPortTest()
        : port(host, nullptr, nullptr)
    {
        EnsureApplication();
    }
    static bool WaitFor(const std::function<bool()>& condition, int ms = 2000) { return RunEventsUntil(condition, ms); }
    CPty pty;
    CQtEventHost host;
    CSerialPort port;
};
} // namespace

TEST_F(SerialPortTest, OpensAt230400AndAcceptsOnlyTheSevenSpeeds)
{
    ASSERT_TRUE(port.Open(pty.slave, true)) << port.LastError();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Speed(), 230400u);
    EXPECT_EQ(pty.Speed(), static_cast<speed_t>(B230400));
    EXPECT_FALSE(port.SetSpeed(14400));
    EXPECT_EQ(port.LastError(), Result::InvalidArgumentHResult);
    EXPECT_EQ(port.Speed(), 230400u);
    EXPECT_TRUE(port.SetSpeed(230400)); // the current speed: at once
    for (DWORD speed : {4800u, 9600u, 19200u, 38400u, 57600u, 115200u}) {
        EXPECT_TRUE(port.SetSpeed(speed));
        EXPECT_EQ(port.Speed(), speed);
    }
    EXPECT_EQ(pty.Speed(), static_cast<speed_t>(B115200));
    // Opening an open port answers true at once.
    EXPECT_TRUE(port.Open(pty.slave, true));
}

TEST_F(SerialPortTest, WritesGoOutWhole)
{
    ASSERT_TRUE(port.Open(pty.slave, true));
    EXPECT_TRUE(port.WriteText("^sn;"));
    EXPECT_EQ(pty.ReadAll(), "^sn;");
    // A non-ASCII character goes out as its whole UTF-8 encoding.
    EXPECT_TRUE(port.WriteText(QString::fromUtf8("^bt73°;")));
    EXPECT_EQ(pty.ReadAll(), QByteArray("^bt73\xC2\xB0;"));
    const BYTE packet[4] = {0x8F, 0xFF, 0x00, 0x0A};
    EXPECT_TRUE(port.WriteBytes(packet, 4));
    EXPECT_EQ(pty.ReadAll(), QByteArray("\x8F\xFF\x00\x0A", 4));
}

TEST_F(SerialPortTest, ReadsNeverWaitArrivalsArePostedAndPurgeDiscardsThem)
{
    int notifications = 0;
    port.SetNotify([&]() { ++notifications; });
    ASSERT_TRUE(port.Open(pty.slave, true));
    BYTE buffer[64];
    DWORD count = 99;
    EXPECT_TRUE(port.Read(buffer, sizeof buffer, &count));
    EXPECT_EQ(count, 0u);
    pty.Write("^SN01234;");
    ASSERT_TRUE(WaitFor([&]() { return notifications > 0; }));
    QByteArray received;
    WaitFor([&]() {
        DWORD n = 0;
        port.Read(buffer, sizeof buffer, &n);
        received.append(reinterpret_cast<const char*>(buffer), n);
        return received.size() >= 9;
    });
    EXPECT_EQ(received, "^SN01234;");
    pty.Write("stale;");
    ASSERT_TRUE(WaitFor([&]() { return notifications > 1; }));
    EXPECT_TRUE(port.PurgeReceive());
    EXPECT_TRUE(port.Read(buffer, sizeof buffer, &count));
    EXPECT_EQ(count, 0u);
}

TEST_F(SerialPortTest, OpenFailuresAndAClosedPort)
{
    EXPECT_FALSE(port.Open("", true));
    EXPECT_EQ(port.LastError(), Result::PortNameMissing);
    EXPECT_FALSE(port.Open("/dev/does-not-exist-qro", true));
    EXPECT_EQ(port.LastError(), Result::FileNotFound);
    // Every operation on a closed port fails with the invalid handle.
    EXPECT_FALSE(port.WriteText(";"));
    EXPECT_EQ(port.LastError(), Result::InvalidHandle);
    EXPECT_FALSE(port.SetSpeed(38400));
    EXPECT_EQ(port.LastError(), Result::InvalidHandle);
    // A port held by another is denied.
    ASSERT_TRUE(port.Open(pty.slave, true));
    CSerialPort second(host, nullptr, nullptr);
    EXPECT_FALSE(second.Open(pty.slave, true));
    EXPECT_EQ(second.LastError(), Result::AccessDenied);
    EXPECT_FALSE(second.IsOpen());
}

TEST_F(SerialPortTest, VanishedDeviceIsNoticedWhileIdleAndReportedOnce)
{
    int failures = 0;
    port.SetFailureNotify([&]() { ++failures; port.Close(); }); // as the model does
    ASSERT_TRUE(port.Open(pty.slave, true));
    pty.CloseMaster();
    ASSERT_TRUE(WaitFor([&]() { return failures > 0; }));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.WriteText(";"));
    EXPECT_EQ(port.LastError(), Result::PortLost);
    WaitFor([]() { return false; }, 200);
    EXPECT_EQ(failures, 1);
}

// The port's name changed while bytes were arriving: the notification already queued for the
// old port must not touch it (the sanitizer build sees the use after free).
TEST_F(SerialPortTest, NotificationQueuedWhenThePortIsDestroyedIsDropped)
{
    CVirtualEventHost queue;
    auto doomed = std::make_unique<CSerialPort>(queue, nullptr, nullptr);
    int notified = 0;
    doomed->SetNotify([&]() { ++notified; });
    ASSERT_TRUE(doomed->Open(pty.slave, true));
    pty.Write(";");
    ASSERT_TRUE(WaitFor([&]() { return queue.PendingCount() > 0; }));
    doomed.reset();
    queue.RunUntilIdle();
    EXPECT_EQ(notified, 0);
}
