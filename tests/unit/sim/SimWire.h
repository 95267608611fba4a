#pragma once
// The simulated amplifier on its in-process port in virtual time, seen from the program's end
// of the line: write bytes at a speed, let time pass, look at what came back and when.
#include "link/VirtualEventHost.h"
#include "sim/SimDevice.h"
#include "sim/SimPort.h"
#include <QByteArray>
#include <memory>
#include <vector>

class CSimWire {
public:
    explicit CSimWire(const CSimDevice::Options& options = Defaults())
    {
        device = std::make_shared<CSimDevice>(host, options);
        port = std::make_unique<CSimPort>(host, device);
        port->SetNotify([this]() {
            ++notifications;
            Drain();
        });
        port->Open(QStringLiteral("SIM"), true);
    }

    static CSimDevice::Options Defaults()
    {
        CSimDevice::Options options;
        options.speed = 38400;
        options.pace = false;
        options.answerDelayMs = 1;
        return options;
    }

    // Clears what was received, writes the bytes at the speed and lets `ms` of virtual time pass.
    QByteArray Exchange(const QByteArray& bytes, DWORD speed = 38400, std::uint64_t ms = 50)
    {
        port->SetSpeed(speed);
        port->PurgeReceive();
        received.clear();
        port->WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
        host.Advance(ms);
        return received;
    }

    void Drain()
    {
        BYTE buffer[64];
        DWORD n = 0;
        while (port->Read(buffer, sizeof buffer, &n) && n > 0) {
            received.append(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(n));
            arrivals.push_back({host.Now(), received.size()});
        }
    }

    struct Arrival {
        std::uint64_t at; // virtual milliseconds
        qsizetype totalBytes; // bytes received up to then
    };

    CVirtualEventHost host;
    std::shared_ptr<CSimDevice> device;
    std::unique_ptr<CSimPort> port;
    QByteArray received;
    std::vector<Arrival> arrivals;
    int notifications = 0;
};

// A boot-loader packet: the address most significant byte first, 512 data bytes, and the check
// byte that makes the sum of all 517 bytes 0 modulo 256.
inline QByteArray MakePacket(DWORD address, const QByteArray& data, int checkOffset = 0)
{
    QByteArray packet;
    packet.append(static_cast<char>(address >> 24));
    packet.append(static_cast<char>(address >> 16));
    packet.append(static_cast<char>(address >> 8));
    packet.append(static_cast<char>(address));
    packet.append(data.left(512));
    packet.append(QByteArray(512 - std::min<qsizetype>(512, data.size()), static_cast<char>(0xFF)));
    unsigned sum = 0;
    for (char c : packet)
        sum += static_cast<BYTE>(c);
    packet.append(static_cast<char>((0x100 - (sum & 0xFF) + checkOffset) & 0xFF));
    return packet;
}

// 512 bytes that differ from packet to packet.
inline QByteArray PacketData(int seed)
{
    QByteArray data(512, 0);
    for (int i = 0; i < 512; ++i)
        data[i] = static_cast<char>((i * 7 + seed * 31 + (i >> 3)) & 0xFF);
    return data;
}
