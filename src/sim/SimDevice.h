#pragma once
// The simulated QRO4000: one device model used in-process (port "SIM"), served on a
// pseudo-terminal by qro4000-sim, and in tests. It is a test instrument first: every fault it
// can inject is a path the program must survive.
#include "model/EventHost.h"
#include "model/Types.h"
#include <QByteArray>
#include <functional>
#include <memory>
#include <typeindex>

class CSimDevice;

// One feature's part of the simulated amplifier (operate meters, settings, fault log and clock,
// ATU memories): its state and its command handlers. Each lives in a file of its own and is
// installed in every device by InstallSimFeatures (sim/SimFeatures.cpp).
class CSimFeature {
public:
    virtual ~CSimFeature() = default;
};

class CSimDevice {
public:
    struct Options {
        DWORD speed = 38400; // the amplifier's configured serial speed
        WORD serialNumber = 1234;
        WORD revision = 153; // application firmware revision (01.53)
        bool bootLoader = false; // start in the boot loader
        bool pace = false; // deliver output at the line's bit rate
        DWORD answerDelayMs = 1; // time the amplifier takes to start an answer
        std::uint32_t seed = 1; // for random faults
        DWORD eraseMs = 1500; // the boot loader's program flash erase
        WORD revisionAfterLoad = 0; // revision the application reports after a load; 0 keeps it
        int faultEntries = -1; // write this many fault log entries (wrapping past 1024); -1 keeps the memory's
        int faultIndex = -1; // the fault log's index word reads this (a damaged log); -1 keeps it

        bool powerOff = false; // start switched off: only "^on;" is answered until "^on1;"
        // Whether the station transmits through it: kTransmitOn (an operator who transmits for
        // 20 s of every 30), kTransmitOff (receive: no drive, no power), or a positive number of
        // seconds: transmitting that long, then receiving that long, in turn.
        static constexpr int kTransmitOn = -1;
        static constexpr int kTransmitOff = 0;
        int transmit = kTransmitOn;
        // The wire logs keep the latest bytes, at most this many each.
        qsizetype maxLogBytes = 4 * 1024 * 1024;
    };

    // Named faults. Counts are of answers (or packets) from the time the fault is set: a count
    // goes down as answers pass and is 0 again once the fault has struck.
    struct Faults {
        double dropAnswerProbability = 0; // drop whole answers at random
        double corruptByteProbability = 0; // flip one bit of an output byte at random
        int dropAnswerNumber = 0; // drop the n-th answer from now (1-based), 0 none
        int corruptAnswerNumber = 0; // corrupt one byte of the n-th answer
        // Damage two data digits of the n-th answer so that its check byte still holds (the
        // next read answer that has such a pair, when the n-th has none).
        int corruptPairNumber = 0;
        bool silent = false; // answer nothing at all
        DWORD answerAtSpeed = 0; // answer only when the line runs at this speed instead
        bool unplugged = false; // the port has vanished (reads and writes fail)
        DWORD unplugAfterMs = 0; // where it is served, it vanishes this long after (0 never)
        // Boot loader faults.
        int refusePacketNumber = 0; // refuse the n-th good data packet ("N") ...
        int refusePacketTimes = 1; // ... this many times before taking it
        int dropAckNumber = 0; // store the n-th acknowledged packet but send no "A"
        double dropAckProbability = 0; // the same at random
        int answerCNumber = 0; // answer "C" to the n-th packet (and discard it)
        bool neverEchoD = false; // ignore "D": the download never begins
        int powerLossPacketNumber = 0; // power fails when the n-th packet is complete
        DWORD powerLossMs = 1000; // how long the power stays off
        // Operate faults.
        BYTE amplifierFault = 0; // the amplifier has tripped with this FAULT code (RESET clears it)
        int fallSilentAnswer = 0; // the n-th operate command from now is the first left unanswered
    };

    // The boot loader's fixed speed, the flash window it programs and its packet layout.
    static constexpr DWORD kBootLoaderSpeed = 38400;
    static constexpr DWORD kFlashBase = 0x1D000000;
    static constexpr DWORD kFlashSize = 0x80000;
    static constexpr DWORD kPacketSize = 517;
    static constexpr DWORD kPacketData = 512;
    static constexpr DWORD kEndPacketAddress = 0x8FFFFFFF;

    CSimDevice(IEventHost& host, const Options& options);
    ~CSimDevice();

    // The host side of the line: the speed the program's port runs at, and bytes it writes.
    void SetLineSpeed(DWORD bitsPerSecond);
    void Receive(const QByteArray& bytes);
    // Bytes the amplifier sends, delivered through the event host (paced when asked).
    void SetOutput(std::function<void(const QByteArray&)> output);
    // Where the line's speed can change behind the device's back (a pseudo-terminal whose
    // client sets it), the device asks this before it puts bytes on the line.
    void SetLineSpeedProbe(std::function<DWORD()> probe);

    Options& GetOptions();
    Faults& GetFaults();
    QByteArray& Eeprom(); // 0x40000 bytes of configuration memory
    QByteArray& Flash(); // the application flash written by the boot loader
    bool InBootLoader() const;
    // Every byte received / put on the line (the latest 2 to 4 MiB), for tests that check the wire.
    QByteArray ReceivedLog() const;
    QByteArray SentLog() const;
    void ClearLogs();

    // The speed the amplifier listens and answers at now (the boot loader's, a fault's or the
    // configured one).
    DWORD ActiveSpeed() const;
    bool PowerOn() const; // "^on1;" / "^on0;"
    bool PoweredDown() const; // the power-loss fault has struck and power is not back

    // Later commands plug in here: a handler gets the whole command text (from "^" to ";") and
    // answers the bytes to send back, or nothing. Names compare without regard to case; a
    // handler replaces a built-in command of the same name. A name ending in "*" ("bt*") takes
    // every command that begins with it and has no handler of its own: a text after the name.
    using CommandHandler = std::function<QByteArray(const QByteArray& command)>;
    void SetCommandHandler(const QByteArray& name, CommandHandler handler);

    // The features installed with the device; F(CSimDevice&) registers its handlers. Tests
    // reach a feature's state through Feature<F>() (nullptr-free: it must be installed).
    template <class F, class... A> F& AddFeature(A&&... args)
    {
        auto feature = std::make_unique<F>(*this, std::forward<A>(args)...);
        F& added = *feature;
        StoreFeature(typeid(F), std::move(feature));
        return added;
    }
    template <class F> F& Feature() const { return *static_cast<F*>(FindFeature(typeid(F))); }
    // The event host the device runs on (its clock and timers).
    IEventHost& Host() const;

    // The port that holds the device open (one at a time, like a real serial port).
    bool Claim(const void* port);
    void Release(const void* port);
    // Sets the unplugged fault and tells the port at once, as a vanished USB adapter does.
    void Unplug();
    // Called (through the event loop) when the port should look at its line again.
    void SetAttention(std::function<void()> attention);

private:
    void StoreFeature(std::type_index type, std::unique_ptr<CSimFeature> feature);
    CSimFeature* FindFeature(std::type_index type) const;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
