// The station server's RFC 2217 side as a client reaches it: arbitrary bytes sent over a real
// loopback connection to the sharing endpoint, in front of the simulated amplifier. The
// server must take them without fault, end the session when the client leaves, answer only
// well-formed Telnet, and hold no client afterwards.
#include "link/QtEventHost.h"
#include "link/ports/TelnetCodec.h"
#include "sim/SimDevice.h"
#include "sim/SimPort.h"
#include "station/LineArbiter.h"
#include "station/ShareServer.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
struct Station {
    Station()
    {
        CSimDevice::Options options;
        options.pace = false;
        options.answerDelayMs = 0;
        device = std::make_shared<CSimDevice>(host, options);
        port = std::make_unique<CSimPort>(host, device);
        if (!port->Open(QStringLiteral("SIM"), true))
            std::abort();
        port->SetNotify([this] { arbiter.OnPortReadable(); });
        arbiter.AttachPort(port.get(), false);
        CListenAddress address;
        address.address = QHostAddress::LocalHost;
        if (!server.Listen(address))
            std::abort();
    }
    CQtEventHost host;
    std::shared_ptr<CSimDevice> device;
    std::unique_ptr<CSimPort> port;
    CLineArbiter arbiter {host};
    CShareServer server {arbiter, {}, {}};
};

bool RunUntil(const std::function<bool()>& done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_share_session";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    // A fresh station each time: an input that puts the amplifier into its boot loader or
    // switches it off must not change what the next one meets.
    Station station;

    QTcpSocket client;
    const QStringList hostPort = station.server.Address().split(':');
    client.connectToHost(QHostAddress::LocalHost, hostPort.last().toUShort());
    if (!RunUntil([&] { return client.state() == QAbstractSocket::ConnectedState && station.server.ClientCount() == 1; },
            5000))
        std::abort();
    client.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    client.flush();
    // Whatever the client sent is read before it leaves; the answers to it come meanwhile.
    RunUntil([&] { return client.bytesToWrite() == 0; }, 2000);
    QCoreApplication::processEvents();
    client.disconnectFromHost();
    if (!RunUntil([&] { return station.server.ClientCount() == 0; }, 5000))
        std::abort();
    Telnet::DecoderState decoder;
    QByteArray received;
    std::vector<Telnet::Event> events;
    Telnet::Decode(decoder, client.readAll(), true, &received, &events);
    for (const Telnet::Event& event : events)
        if (event.payload.size() > Telnet::kMaxSubnegotiation)
            std::abort();
    return 0;
}
