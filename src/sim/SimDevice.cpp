#include "sim/SimDevice.h"
#include "link/EepromBlock.h"
#include "model/SerialPortInterface.h"
#include "model/HexDigits.h"
#include "sim/CancellingPair.h"
#include "sim/SimFeatures.h"
#include "sim/SimFirmwareImage.h"
#include <QHash>
#include <cctype>
#include <deque>
#include <random>
#include <set>
#include <vector>

namespace {
constexpr qsizetype kMaxCommandLength = 1024;
constexpr DWORD kFaultLogBase = 0x38000;
constexpr DWORD kFaultLogSlots = 1024;
constexpr DWORD kFaultEntrySize = 32;
constexpr DWORD kFaultIndexAddress = 0x0A;
const QByteArray kBootVersionAnswer("BL01.02;");

// Reads `digits` hex digits at `at`; -1 when any is missing or not a hex digit.
qint64 ReadHex(const QByteArray& text, qsizetype at, int digits)
{
    if (at + digits > text.size())
        return -1;
    qint64 value = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = Hex::DigitValue(text[at + i]);
        if (d < 0)
            return -1;
        value = value * 16 + d;
    }
    return value;
}

BYTE Bcd(unsigned value)
{
    return static_cast<BYTE>((value / 10) << 4 | (value % 10));
}

void PutWord(QByteArray& memory, DWORD at, unsigned value)
{
    memory[at] = static_cast<char>(value & 0xFF);
    memory[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void PutLong(QByteArray& memory, DWORD at, DWORD value)
{
    PutWord(memory, at, value & 0xFFFF);
    PutWord(memory, at + 2, value >> 16);
}

// A configuration memory that looks like a unit that has been in use for a while: identity,
// per-unit calibration, settings, some ATU memories and a fault log with power-on entries and
// the occasional fault. The same seed always gives the same memory.
QByteArray MakeEeprom(const CSimDevice::Options& options)
{
    std::mt19937 random(options.seed * 2654435761u + 12345u);
    auto pick
        = [&random](unsigned low, unsigned high) { return std::uniform_int_distribution<unsigned>(low, high)(random); };
    QByteArray memory(Eeprom::kSize, static_cast<char>(0xFF));
    // Identity: a signature, the serial number and the hardware revision; never written by
    // the utility.
    memory[0] = 'Q';
    memory[1] = '4';
    PutWord(memory, 0x02, 3);
    PutWord(memory, 0x04, options.serialNumber);
    PutWord(memory, 0x06, pick(0, 0xFFFF));
    PutWord(memory, 0x08, pick(0, 0xFFFF));
    PutWord(memory, 0x0C, 0x0000);
    PutWord(memory, 0x0E, 0x0000);
    // Per-unit calibration and the settings regions.
    for (DWORD a = 0x10; a < 0x1000; ++a)
        memory[a] = static_cast<char>(pick(0, 255));
    // Unused stretches inside the settings, as a real unit has.
    for (DWORD a = 0xE80; a < 0xF00; ++a)
        memory[a] = static_cast<char>(0xFF);
    // ATU memories: a few hundred stored tunings, the rest erased.
    const DWORD atuEnd = 0x1000 + 0x40 * pick(64, 320);
    for (DWORD a = 0x1000; a < atuEnd; ++a)
        memory[a] = static_cast<char>(pick(0, 255));

    // Fault log: entries in slots 0 .. count-1, the index word naming the newest.
    static const BYTE kFaultCodes[] = {0x20, 0x40, 0x61, 0x80, 0x91, 0x92, 0xB0, 0xC1, 0x10, 0x70, 0xF0};
    const unsigned count = 24 + options.seed % 40;
    unsigned powerOns = 0;
    unsigned month = 1 + pick(0, 5), day = 1, hour = 8, minute = 0;
    for (unsigned slot = 0; slot < count; ++slot) {
        const DWORD at = kFaultLogBase + slot * kFaultEntrySize;
        const bool powerOn = slot == 0 || pick(0, 2) != 0;
        const BYTE code = powerOn ? 0x00 : kFaultCodes[pick(0, sizeof kFaultCodes - 1)];
        minute += pick(1, 50);
        hour += minute / 60;
        minute %= 60;
        day += hour / 24;
        hour %= 24;
        if (day > 28) {
            day = 1;
            month = month % 12 + 1;
        }
        for (DWORD i = 0; i < kFaultEntrySize; ++i)
            memory[at + i] = 0;
        memory[at] = static_cast<char>(code);
        memory[at + 2] = static_cast<char>(Bcd(24));
        memory[at + 3] = static_cast<char>(Bcd(month));
        memory[at + 4] = static_cast<char>(Bcd(day));
        memory[at + 5] = static_cast<char>(Bcd(hour));
        memory[at + 6] = static_cast<char>(Bcd(minute));
        memory[at + 7] = static_cast<char>(Bcd(pick(0, 59)));
        if (code == 0x00) {
            PutWord(memory, at + 20, options.revision);
            PutWord(memory, at + 22, ++powerOns);
        } else if (code == 0x10) {
            PutLong(memory, at + 8, 0x9D000000 + pick(0, 0xFFFF) * 4);
            PutLong(memory, at + 12, pick(0, 31) << 2);
            PutLong(memory, at + 16, 0x9D000000 + pick(0, 0xFFFF) * 4);
            PutLong(memory, at + 20, 0xBFC00000);
        } else {
            static const unsigned kBands[] = {1840, 3650, 7100, 10120, 14200, 18100, 21200, 24940, 28400, 50100};
            PutWord(memory, at + 8, kBands[pick(0, 9)]);
            PutWord(memory, at + 10, pick(20, 90));
            PutWord(memory, at + 12, pick(800, 4200));
            PutWord(memory, at + 14, pick(0, 400));
            PutWord(memory, at + 16, pick(100, 350));
            memory[at + 18] = static_cast<char>(pick(10, 60));
            memory[at + 19] = static_cast<char>(pick(30, 80));
            PutWord(memory, at + 20, pick(0, 1023));
            PutWord(memory, at + 22, pick(0, 5000));
        }
        for (DWORD i = 24; i < kFaultEntrySize; ++i)
            memory[at + i] = static_cast<char>(0xFF);
    }
    PutWord(memory, kFaultIndexAddress, count - 1);
    Q_ASSERT(count <= kFaultLogSlots);
    return memory;
}
} // namespace

struct CSimDevice::Impl {
    // One direction of the serial line. Bytes leave in order; with pacing each one takes 10 bit
    // times at the speed it was sent at, measured from the moment the line was free, so that a
    // late timer never stretches the schedule.
    struct Line {
        struct Chunk {
            QByteArray bytes;
            DWORD speed;
            std::uint64_t startUs;
            qsizetype done = 0;
        };
        std::deque<Chunk> chunks;
        std::uint64_t freeAtUs = 0;
        bool timerRunning = false;

        static std::uint64_t ByteEndUs(const Chunk& c, qsizetype index)
        {
            // Rounded up: a byte is complete only when its stop bit has been sent.
            const std::uint64_t bits = static_cast<std::uint64_t>(index + 1) * 10 * 1000000;
            return c.startUs + (bits + c.speed - 1) / c.speed;
        }
    };

    Impl(CSimDevice& owner, IEventHost& h, const Options& o)
        : self(owner)
        , host(h)
        , options(o)
        , random(o.seed)
    {
        eeprom = MakeEeprom(options);
        flash = QByteArray(kFlashSize, static_cast<char>(0xFF));
        inBootLoader = options.bootLoader;
        powerOn = !options.powerOff;
        // A unit found waiting in its boot loader has no usable application.
        applicationValid = !options.bootLoader;
    }

    ~Impl()
    {
        for (IEventHost::TimerHandle t : timers)
            host.StopTimer(t);
    }

    // Timers of the device; all stopped when it goes away.
    void After(DWORD ms, std::function<void()> work)
    {
        auto handle = std::make_shared<IEventHost::TimerHandle>(0);
        *handle = host.StartTimer(ms, [this, handle, work = std::move(work)]() {
            timers.erase(*handle);
            work();
        });
        timers.insert(*handle);
    }

    std::uint64_t NowUs() const { return host.MicroTicks(); }

    DWORD ListeningSpeed() const
    {
        if (faults.answerAtSpeed)
            return faults.answerAtSpeed;
        return inBootLoader ? kBootLoaderSpeed : options.speed;
    }

    bool Chance(double probability)
    {
        if (probability <= 0)
            return false;
        return std::uniform_real_distribution<double>(0.0, 1.0)(random) < probability;
    }

    static bool CountDown(int& counter)
    {
        if (counter <= 0)
            return false;
        return --counter == 0;
    }

    // --- the line -------------------------------------------------------------------------

    // `earliestUs`: when the first byte may start, if not now (an answer starts a set time after
    // the command's last byte, not after the timer tick that noticed it).
    void Push(Line& line, const QByteArray& bytes, DWORD speed, bool toHost, std::uint64_t earliestUs = 0)
    {
        if (bytes.isEmpty())
            return;
        if (!options.pace || speed == 0) {
            if (toHost)
                Deliver(bytes, speed);
            else
                Process(bytes, speed, NowUs());
            return;
        }
        const std::uint64_t start = std::max(earliestUs ? earliestUs : NowUs(), line.freeAtUs);
        line.chunks.push_back({bytes, speed, start});
        line.freeAtUs = Line::ByteEndUs(line.chunks.back(), bytes.size() - 1);
        Schedule(line, toHost);
    }

    void Schedule(Line& line, bool toHost)
    {
        if (line.timerRunning || line.chunks.empty())
            return;
        const Line::Chunk& c = line.chunks.front();
        const std::uint64_t due = Line::ByteEndUs(c, c.done);
        const std::uint64_t now = NowUs();
        // Timers count whole milliseconds. On a clock finer than that, wake up early and let
        // Drain wait out the rest, so that the line keeps its bit rate instead of losing up to a
        // millisecond at every answer; on a millisecond clock, wake at the first tick past due.
        const std::uint64_t waitUs = due <= now ? 0 : due - now;
        const DWORD ms = static_cast<DWORD>(host.HasFineClock() ? waitUs / 1000 : (waitUs + 999) / 1000);
        line.timerRunning = true;
        After(ms, [this, &line, toHost]() {
            line.timerRunning = false;
            Drain(line, toHost);
            Schedule(line, toHost);
        });
    }

    void Drain(Line& line, bool toHost)
    {
        const std::uint64_t now = NowUs();
        while (!line.chunks.empty()) {
            Line::Chunk& c = line.chunks.front();
            qsizetype end = c.done;
            while (end < c.bytes.size() && Line::ByteEndUs(c, end) <= now)
                ++end;
            if (end > c.done) {
                const QByteArray part = c.bytes.mid(c.done, end - c.done);
                const DWORD speed = c.speed;
                std::vector<std::uint64_t> ends;
                if (!toHost)
                    for (qsizetype i = c.done; i < end; ++i)
                        ends.push_back(Line::ByteEndUs(c, i));
                c.done = end;
                if (c.done == c.bytes.size())
                    line.chunks.pop_front();
                if (toHost) {
                    Deliver(part, speed);
                } else {
                    for (qsizetype i = 0; i < part.size(); ++i)
                        Process(part.mid(i, 1), speed, ends[static_cast<size_t>(i)]);
                }
                continue;
            }
            break;
        }
    }

    // Bytes reach the program only when its port runs at the speed they were sent at; at any
    // other speed they would arrive as framing errors, which a real port drops.
    void Deliver(const QByteArray& bytes, DWORD speed)
    {
        if (lineSpeedProbe)
            lineSpeed = lineSpeedProbe();
        if (speed != lineSpeed || !output)
            return;
        output(bytes);
    }

    // --- answers ---------------------------------------------------------------------------

    // Every answer goes through here: the answer faults apply to all of them alike.
    void Answer(QByteArray bytes, DWORD delayMs)
    {
        if (bytes.isEmpty() || faults.silent)
            return;
        if (CountDown(faults.dropAnswerNumber) || Chance(faults.dropAnswerProbability))
            return;
        if (CountDown(faults.corruptAnswerNumber)) {
            const auto at = std::uniform_int_distribution<qsizetype>(0, bytes.size() - 1)(random);
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << std::uniform_int_distribution<int>(0, 7)(random)));
        }
        if (CountDown(faults.corruptPairNumber) && !SimDamage::CancellingPair(bytes, random))
            faults.corruptPairNumber = 1;
        if (faults.corruptByteProbability > 0) {
            for (qsizetype i = 0; i < bytes.size(); ++i)
                if (Chance(faults.corruptByteProbability))
                    bytes[i] = static_cast<char>(bytes[i] ^ (1 << std::uniform_int_distribution<int>(0, 7)(random)));
        }
        const DWORD speed = ListeningSpeed();
        const unsigned generation = powerGeneration;
        const std::uint64_t now = NowUs();
        const std::uint64_t startUs
            = std::max(processingInput ? inputEndUs : now, now - std::min<std::uint64_t>(now, 1000))
            + static_cast<std::uint64_t>(delayMs) * 1000;
        const DWORD waitMs = startUs <= now ? 0 : static_cast<DWORD>((startUs - now + 999) / 1000);
        After(waitMs, [this, bytes, speed, generation, startUs]() {
            if (generation != powerGeneration)
                return;
            sentLog.append(bytes);
            Push(toHost, bytes, speed, true, startUs);
        });
    }

    void Answer(const QByteArray& bytes) { Answer(bytes, options.answerDelayMs); }

    // --- what arrives ----------------------------------------------------------------------

    // `endUs`: when the last of these bytes was complete on the line.
    void Process(const QByteArray& bytes, DWORD speed, std::uint64_t endUs)
    {
        processingInput = true;
        inputEndUs = endUs;
        for (char c : bytes) {
            if (poweredDown)
                break;
            if (speed != ListeningSpeed())
                continue;
            if (inBootLoader)
                BootByte(static_cast<BYTE>(c));
            else
                ApplicationByte(c);
        }
        processingInput = false;
    }

    void ApplicationByte(char c)
    {
        if (c == '^')
            command.clear(); // a new command always starts over
        command.append(c);
        if (command.size() > kMaxCommandLength) {
            command.clear();
            return;
        }
        if (c != ';')
            return;
        const QByteArray text = command;
        command.clear();
        if (text == ";") {
            // The poll: any answer ending in ";" tells the program it has found the speed.
            Answer(QByteArray(";"));
            return;
        }
        if (text.startsWith('^'))
            RunCommand(text);
    }

    static QByteArray CommandName(const QByteArray& text)
    {
        qsizetype end = 1;
        while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end])))
            ++end;
        return text.mid(1, end - 1).toLower();
    }

    bool RunHandler(const QByteArray& name, const QByteArray& text)
    {
        auto it = handlers.find(name);
        if (it == handlers.end())
            return false;
        Answer(it.value()(text));
        return true;
    }

    void RunCommand(const QByteArray& text)
    {
        const QByteArray lower = text.toLower();
        // The block commands run their address straight on after the name; an address is
        // hex digits, so it cannot be told from the name by letters alone.
        if (lower.startsWith("^er")) {
            if (!RunHandler("er", text))
                ReadBlock(text);
            return;
        }
        if (lower.startsWith("^ew")) {
            if (!RunHandler("ew", text))
                WriteBlock(text);
            return;
        }
        const QByteArray name = CommandName(text);
        if (RunHandler(name, text))
            return;
        // A command whose text runs straight on after its name ("^btHELLO;") is registered as
        // its name and "*".
        for (qsizetype n = name.size(); n > 0; --n)
            if (RunHandler(name.left(n) + '*', text))
                return;
        const QByteArray rest = lower.mid(1 + name.size());
        if (name == "i" && rest == ";") {
            Answer(QByteArray("^IQRO4000;"));
        } else if (name == "rv" && rest == ";") {
            Answer(QByteArray("^RV") + QByteArray::number(options.revision / 100).rightJustified(2, '0') + '.'
                + QByteArray::number(options.revision % 100).rightJustified(2, '0') + ';');
        } else if (name == "sn" && rest == ";") {
            Answer(QByteArray("^SN") + QByteArray::number(options.serialNumber).rightJustified(5, '0') + ';');
        } else if (name == "br" && rest.size() == 2 && rest[0] >= '0' && rest[0] <= '6' && rest[1] == ';') {
            // The amplifier takes its new speed as soon as the command is complete; nothing
            // is answered (an answer would go out at a speed one of the two sides has left).
            options.speed = kSupportedSpeeds[6 - (rest[0] - '0')];
        } else if (name == "cf" && rest == ";") {
            // Cache flush: the amplifier writes its cached settings out; it answers nothing.
        } else if (name == "on") {
            if (rest == "0;")
                powerOn = false;
            else if (rest == "1;")
                powerOn = true;
            else if (rest == ";")
                Answer(powerOn ? QByteArray("^ON1;") : QByteArray("^ON0;"));
        } else if (name == "ld" && rest == ";") {
            EnterBootLoader(false);
        }
        // Anything else: the amplifier ignores commands it does not know.
    }

    void ReadBlock(const QByteArray& text)
    {
        if (text.size() != 16)
            return;
        const qint64 address = ReadHex(text, 3, 8);
        const qint64 count = ReadHex(text, 11, 2);
        const qint64 check = ReadHex(text, 13, 2);
        if (address < 0 || count <= 0 || check < 0 || count > static_cast<qint64>(Eeprom::kMaxBlock))
            return;
        if (Eeprom::CheckByte(static_cast<DWORD>(address), static_cast<DWORD>(count)) != check)
            return;
        if (address + count > static_cast<qint64>(Eeprom::kSize))
            return;
        // A read answer has the layout of a write command with the name in upper case: the
        // same address, count, data and check byte over all of them.
        const QByteArray body = Eeprom::BuildWriteCommand(static_cast<DWORD>(address), static_cast<DWORD>(count),
            reinterpret_cast<const BYTE*>(eeprom.constData() + address));
        Answer(QByteArray("^ER") + body.mid(3));
    }

    void WriteBlock(const QByteArray& text)
    {
        const qint64 address = ReadHex(text, 3, 8);
        const qint64 count = ReadHex(text, 11, 2);
        if (address < 0 || count <= 0 || count > static_cast<qint64>(Eeprom::kMaxBlock))
            return;
        if (text.size() != 16 + 2 * count)
            return;
        BYTE data[Eeprom::kMaxBlock];
        for (qint64 i = 0; i < count; ++i) {
            const qint64 b = ReadHex(text, 13 + 2 * i, 2);
            if (b < 0)
                return;
            data[i] = static_cast<BYTE>(b);
        }
        const qint64 check = ReadHex(text, 13 + 2 * count, 2);
        const DWORD a = static_cast<DWORD>(address), n = static_cast<DWORD>(count);
        if (check < 0 || Eeprom::CheckByte(a, n, data) != check)
            return;
        if (!Eeprom::IsWritableBlock(a, n))
            return;
        std::copy(data, data + n, reinterpret_cast<BYTE*>(eeprom.data()) + a);
        // The acknowledgement is the read command's layout: address, count and their check.
        Answer(QByteArray("^EW") + Eeprom::BuildReadCommand(a, n).mid(3));
    }

    // --- boot loader -----------------------------------------------------------------------

    void ResetBootLoader()
    {
        bootMode = BootMode::Command;
        unlocked = false;
        versionAsked = false;
        caret.clear();
        packet.clear();
    }

    void EnterBootLoader(bool afterPowerLoss)
    {
        inBootLoader = true;
        command.clear();
        ResetBootLoader();
        if (afterPowerLoss)
            applicationValid = false;
    }

    void BootByte(BYTE b)
    {
        switch (bootMode) {
        case BootMode::Erasing:
            return; // busy: the boot loader reads nothing until the erase is done
        case BootMode::Download:
            packet.append(static_cast<char>(b));
            if (packet.size() == static_cast<qsizetype>(kPacketSize))
                PacketComplete();
            return;
        case BootMode::Command:
            break;
        }
        if (!caret.isEmpty()) {
            caret.append(static_cast<char>(b));
            if (b == ';') {
                if (caret.toLower() == "^i;")
                    Answer(QByteArray("^Iqro4000;"));
                caret.clear();
            } else if (caret.size() > 64) {
                caret.clear();
            }
            return;
        }
        const bool wasVersion = versionAsked;
        versionAsked = false;
        switch (b) {
        case '^':
            caret = "^";
            break;
        case 'U':
            unlocked = true;
            Answer(QByteArray("A"));
            break;
        case 'P':
            if (!unlocked) {
                Answer(QByteArray("N"));
                break;
            }
            unlocked = false;
            bootMode = BootMode::Erasing;
            {
                const unsigned generation = powerGeneration;
                After(options.eraseMs, [this, generation]() {
                    if (generation != powerGeneration)
                        return;
                    flash.fill(static_cast<char>(0xFF));
                    applicationValid = false;
                    bootMode = BootMode::Command;
                    Answer(QByteArray("A"));
                });
            }
            break;
        case 'D':
            if (faults.neverEchoD)
                break;
            bootMode = BootMode::Download;
            packet.clear();
            Answer(QByteArray("D"));
            break;
        case 'V':
            versionAsked = true;
            break;
        case ';':
            Answer(wasVersion ? kBootVersionAnswer : QByteArray(";"));
            break;
        case 'R':
            Restart();
            break;
        default:
            break;
        }
    }

    void PacketComplete()
    {
        const QByteArray p = packet;
        packet.clear();
        if (CountDown(faults.powerLossPacketNumber)) {
            PowerLoss();
            return;
        }
        unsigned sum = 0;
        for (char c : p)
            sum += static_cast<BYTE>(c);
        const DWORD address = static_cast<DWORD>(static_cast<BYTE>(p[0])) << 24
            | static_cast<DWORD>(static_cast<BYTE>(p[1])) << 16 | static_cast<DWORD>(static_cast<BYTE>(p[2])) << 8
            | static_cast<BYTE>(p[3]);
        if (CountDown(faults.answerCNumber)) {
            Answer(QByteArray("C"));
            return;
        }
        if ((sum & 0xFF) != 0) {
            Answer(QByteArray("N"));
            return;
        }
        if (address == kEndPacketAddress) {
            bootMode = BootMode::Command;
            applicationValid = SimFirmwareImage::HoldsApplication(flash);
            imageLoaded = true;
            Answer(QByteArray("B"));
            return;
        }
        if (address < kFlashBase || address - kFlashBase > kFlashSize - kPacketData) {
            Answer(QByteArray("N"));
            return;
        }
        if (faults.refusePacketNumber > 0) {
            if (faults.refusePacketNumber == 1 && faults.refusePacketTimes > 0) {
                if (--faults.refusePacketTimes == 0)
                    faults.refusePacketNumber = 0;
                Answer(QByteArray("N"));
                return;
            }
            --faults.refusePacketNumber;
        }
        // Programming flash can only clear bits: an area that was not erased keeps its zeros.
        const DWORD offset = address - kFlashBase;
        for (DWORD i = 0; i < kPacketData; ++i)
            flash[offset + i] = static_cast<char>(flash[offset + i] & p[4 + i]);
        if (CountDown(faults.dropAckNumber) || Chance(faults.dropAckProbability))
            return;
        Answer(QByteArray("A"));
    }

    void PowerLoss()
    {
        poweredDown = true;
        ++powerGeneration;
        toHost.chunks.clear();
        toDevice.chunks.clear();
        command.clear();
        After(faults.powerLossMs, [this]() {
            poweredDown = false;
            // The application is half overwritten: the unit comes back in its boot loader.
            EnterBootLoader(true);
        });
    }

    void Restart()
    {
        ResetBootLoader();
        if (!applicationValid)
            return; // nothing to run: the boot loader starts again
        inBootLoader = false;
        command.clear();
        // The revision-after-load setting wins over what the image says of itself.
        const WORD loaded
            = options.revisionAfterLoad ? options.revisionAfterLoad : SimFirmwareImage::MarkedRevision(flash);
        if (imageLoaded && loaded != 0)
            options.revision = loaded;
        imageLoaded = false;
    }

    CSimDevice& self;
    IEventHost& host;
    Options options;
    Faults faults;
    std::mt19937 random;
    std::set<IEventHost::TimerHandle> timers;

    QByteArray eeprom, flash;
    DWORD lineSpeed = 0;
    std::function<void(const QByteArray&)> output;
    std::function<void()> attention;
    std::function<DWORD()> lineSpeedProbe;
    const void* owner = nullptr;
    QByteArray receivedLog, sentLog;
    Line toHost, toDevice;
    QHash<QByteArray, CommandHandler> handlers;
    std::vector<std::pair<std::type_index, std::unique_ptr<CSimFeature>>> features;

    bool processingInput = false;
    std::uint64_t inputEndUs = 0;
    bool powerOn = true;
    bool poweredDown = false;
    unsigned powerGeneration = 0;
    QByteArray command;

    enum class BootMode { Command, Erasing, Download };
    bool inBootLoader = false;
    bool applicationValid = true;
    bool imageLoaded = false;
    BootMode bootMode = BootMode::Command;
    bool unlocked = false;
    bool versionAsked = false;
    QByteArray caret;
    QByteArray packet;
};

CSimDevice::CSimDevice(IEventHost& host, const Options& options)
    : m_impl(std::make_unique<Impl>(*this, host, options))
{
    InstallSimFeatures(*this);
}

IEventHost& CSimDevice::Host() const
{
    return m_impl->host;
}

void CSimDevice::StoreFeature(std::type_index type, std::unique_ptr<CSimFeature> feature)
{
    m_impl->features.emplace_back(type, std::move(feature));
}

CSimFeature* CSimDevice::FindFeature(std::type_index type) const
{
    for (const auto& [t, feature] : m_impl->features)
        if (t == type)
            return feature.get();
    return nullptr;
}

CSimDevice::~CSimDevice() = default;

void CSimDevice::SetLineSpeed(DWORD bitsPerSecond)
{
    m_impl->lineSpeed = bitsPerSecond;
}

void CSimDevice::Receive(const QByteArray& bytes)
{
    m_impl->receivedLog.append(bytes);
    m_impl->Push(m_impl->toDevice, bytes, m_impl->lineSpeed, false);
}

void CSimDevice::SetOutput(std::function<void(const QByteArray&)> output)
{
    m_impl->output = std::move(output);
}

void CSimDevice::SetLineSpeedProbe(std::function<DWORD()> probe)
{
    m_impl->lineSpeedProbe = std::move(probe);
}

CSimDevice::Options& CSimDevice::GetOptions()
{
    return m_impl->options;
}

CSimDevice::Faults& CSimDevice::GetFaults()
{
    return m_impl->faults;
}

QByteArray& CSimDevice::Eeprom()
{
    return m_impl->eeprom;
}

QByteArray& CSimDevice::Flash()
{
    return m_impl->flash;
}

bool CSimDevice::InBootLoader() const
{
    return m_impl->inBootLoader;
}

QByteArray CSimDevice::ReceivedLog() const
{
    return m_impl->receivedLog;
}

QByteArray CSimDevice::SentLog() const
{
    return m_impl->sentLog;
}

void CSimDevice::ClearLogs()
{
    m_impl->receivedLog.clear();
    m_impl->sentLog.clear();
}

DWORD CSimDevice::ActiveSpeed() const
{
    return m_impl->ListeningSpeed();
}

bool CSimDevice::PowerOn() const
{
    return m_impl->powerOn;
}

bool CSimDevice::PoweredDown() const
{
    return m_impl->poweredDown;
}

void CSimDevice::SetCommandHandler(const QByteArray& name, CommandHandler handler)
{
    if (handler)
        m_impl->handlers.insert(name.toLower(), std::move(handler));
    else
        m_impl->handlers.remove(name.toLower());
}

bool CSimDevice::Claim(const void* port)
{
    if (m_impl->owner && m_impl->owner != port)
        return false;
    m_impl->owner = port;
    return true;
}

void CSimDevice::Release(const void* port)
{
    if (m_impl->owner == port) {
        m_impl->owner = nullptr;
        m_impl->output = nullptr;
        m_impl->attention = nullptr;
    }
}

void CSimDevice::Unplug()
{
    m_impl->faults.unplugged = true;
    m_impl->After(0, [this]() {
        // A copy: whoever is told may let go of the device (and of this callback) at once.
        const std::function<void()> attention = m_impl->attention;
        if (attention)
            attention();
    });
}

void CSimDevice::SetAttention(std::function<void()> attention)
{
    m_impl->attention = std::move(attention);
}
