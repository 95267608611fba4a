#include "sim/SimDevice.h"
#include "model/SerialPortInterface.h"
#include "sim/CancellingPair.h"
#include "sim/SimBootLoader.h"
#include "sim/SimFeatures.h"
#include "sim/SimLine.h"
#include "sim/SimMemoryImage.h"
#include <QHash>
#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <vector>

namespace {
// The wire logs keep the latest bytes only: a simulated amplifier polled for days (the
// station server's, the desktop program's) must not grow without end. By default tests see
// every byte of far longer runs than they make.
void AppendToLog(QByteArray& log, const QByteArray& bytes, qsizetype maxBytes)
{
    if (log.size() + bytes.size() > maxBytes)
        log.remove(0, std::min(log.size(), log.size() + bytes.size() - maxBytes / 2));
    log.append(bytes);
}

constexpr qsizetype kMaxCommandLength = 1024;
} // namespace

struct CSimDevice::Impl : CSimBootLoader::IDevice {
    Impl(CSimDevice& owner, IEventHost& h, const Options& o)
        : self(owner)
        , host(h)
        , options(o)
        , random(o.seed)
    {
        eeprom = SimMemory::MakeEeprom(options);
        powerOn = !options.powerOff;
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
        return boot.IsActive() ? kBootLoaderSpeed : options.speed;
    }

    bool Chance(double probability) override
    {
        if (probability <= 0)
            return false;
        return std::uniform_real_distribution<double>(0.0, 1.0)(random) < probability;
    }

    // --- the line -------------------------------------------------------------------------

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
        if (SimFault::CountDown(faults.dropAnswerNumber) || Chance(faults.dropAnswerProbability))
            return;
        if (SimFault::CountDown(faults.corruptAnswerNumber)) {
            const auto at = std::uniform_int_distribution<qsizetype>(0, bytes.size() - 1)(random);
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << std::uniform_int_distribution<int>(0, 7)(random)));
        }
        if (SimFault::CountDown(faults.corruptPairNumber) && !SimDamage::CancellingPair(bytes, random))
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
            AppendToLog(sentLog, bytes, options.maxLogBytes);
            toHost.Push(bytes, speed, options.pace, startUs);
        });
    }

    void Answer(const QByteArray& bytes) override { Answer(bytes, options.answerDelayMs); }

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
            if (boot.IsActive())
                boot.Byte(static_cast<BYTE>(c));
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
                Answer(SimMemory::ReadAnswer(eeprom, text));
            return;
        }
        if (lower.startsWith("^ew")) {
            if (!RunHandler("ew", text))
                Answer(SimMemory::Write(eeprom, text));
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

    // --- power -----------------------------------------------------------------------------

    void EnterBootLoader(bool afterPowerLoss)
    {
        command.clear();
        boot.Enter(afterPowerLoss);
    }

    void AfterUnlessPowerLost(DWORD ms, std::function<void()> work) override
    {
        const unsigned generation = powerGeneration;
        After(ms, [this, generation, work = std::move(work)]() {
            if (generation == powerGeneration)
                work();
        });
    }

    void PowerLoss() override
    {
        poweredDown = true;
        ++powerGeneration;
        toHost.Clear();
        toDevice.Clear();
        command.clear();
        After(faults.powerLossMs, [this]() {
            poweredDown = false;
            // The application is half overwritten: the unit comes back in its boot loader.
            EnterBootLoader(true);
        });
    }

    CSimDevice& self;
    IEventHost& host;
    Options options;
    Faults faults;
    std::mt19937 random;
    std::set<IEventHost::TimerHandle> timers;

    QByteArray eeprom;
    DWORD lineSpeed = 0;
    std::function<void(const QByteArray&)> output;
    std::function<void()> attention;
    std::function<DWORD()> lineSpeedProbe;
    const void* owner = nullptr;
    QByteArray receivedLog, sentLog;
    CSimLine toHost{host, false, [this](const QByteArray& bytes, DWORD speed, std::uint64_t) { Deliver(bytes, speed); }};
    CSimLine toDevice{
        host, true, [this](const QByteArray& bytes, DWORD speed, std::uint64_t endUs) { Process(bytes, speed, endUs); }};
    QHash<QByteArray, CommandHandler> handlers;
    std::vector<std::pair<std::type_index, std::unique_ptr<CSimFeature>>> features;

    bool processingInput = false;
    std::uint64_t inputEndUs = 0;
    bool powerOn = true;
    bool poweredDown = false;
    unsigned powerGeneration = 0;
    QByteArray command;

    CSimBootLoader boot{*this, options, faults};
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
    AppendToLog(m_impl->receivedLog, bytes, m_impl->options.maxLogBytes);
    m_impl->toDevice.Push(bytes, m_impl->lineSpeed, m_impl->options.pace);
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
    return m_impl->boot.Flash();
}

bool CSimDevice::InBootLoader() const
{
    return m_impl->boot.IsActive();
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
