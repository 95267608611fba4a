#pragma once
// The simulated QRO4000: one device model used in-process (port "SIM"), served on a
// pseudo-terminal by qro4000-sim, and in tests. It is a test instrument first: every fault it
// can inject is a path the program must survive.
#include "link/EventHost.h"
#include "model/Types.h"
#include <QByteArray>
#include <functional>
#include <memory>

class CSimDevice {
public:
    struct Options {
        DWORD speed = 38400;         // the amplifier's configured serial speed
        WORD serialNumber = 1234;
        WORD revision = 153;         // application firmware revision (01.53)
        bool bootLoader = false;     // start in the boot loader
        bool pace = false;           // deliver output at the line's bit rate
        DWORD answerDelayMs = 1;     // time the amplifier takes to start an answer
        std::uint32_t seed = 1;      // for random faults
    };

    // Named faults. Counts are of answers (or packets) from the time the fault is set.
    struct Faults {
        double dropAnswerProbability = 0;    // drop whole answers at random
        double corruptByteProbability = 0;   // flip one bit of an output byte at random
        int dropAnswerNumber = 0;            // drop the n-th answer from now (1-based), 0 none
        int corruptAnswerNumber = 0;         // corrupt one byte of the n-th answer
        bool silent = false;                 // answer nothing at all
        DWORD answerAtSpeed = 0;             // answer only when the line runs at this speed instead
        bool unplugged = false;              // the port has vanished (reads and writes fail)
    };

    CSimDevice(IEventHost& host, const Options& options);
    ~CSimDevice();

    // The host side of the line: the speed the program's port runs at, and bytes it writes.
    void SetLineSpeed(DWORD bitsPerSecond);
    void Receive(const QByteArray& bytes);
    // Bytes the amplifier sends, delivered through the event host (paced when asked).
    void SetOutput(std::function<void(const QByteArray&)> output);

    Options& GetOptions();
    Faults& GetFaults();
    QByteArray& Eeprom();             // 0x40000 bytes of configuration memory
    QByteArray& Flash();              // the application flash written by the boot loader
    bool InBootLoader() const;
    QByteArray ReceivedLog() const;   // every byte received, for tests that check the wire

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
