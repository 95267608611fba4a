#include "sim/SimOptions.h"
#include "model/SerialPortInterface.h"
#include <QStringList>
#include <type_traits>

namespace {
// A count of answers or packets from now.
constexpr qulonglong kCount = 0x7FFFFFFF;

template <class T>
struct MemberOf;
template <class C, class V>
struct MemberOf<V C::*> {
    using Class = C;
    using Value = V;
};

// Puts a value read into the option or the fault `Member` names.
template <auto Member>
void Store(CSimDevice::Options& options, CSimDevice::Faults& faults, double value)
{
    using M = MemberOf<decltype(Member)>;
    if constexpr (std::is_same_v<typename M::Class, CSimDevice::Options>)
        options.*Member = static_cast<typename M::Value>(value);
    else
        faults.*Member = static_cast<typename M::Value>(value);
}

const std::vector<SimSetting> kSettings = {
    {"baud", "BITS", "configured serial speed: 4800 ... 230400 (default 38400)", false,
        SimSetting::Kind::Speed, 0, &Store<&CSimDevice::Options::speed>},
    {"serial", "N", "serial number, 0 ... 65535 (default 1234)", false,
        SimSetting::Kind::Number, 0xFFFF, &Store<&CSimDevice::Options::serialNumber>},
    {"revision", "R", "application firmware revision, 153 for 01.53 (default 153)", false,
        SimSetting::Kind::Number, 0xFFFF, &Store<&CSimDevice::Options::revision>},
    {"bootloader", nullptr, "start in the boot loader, waiting for firmware", false,
        SimSetting::Kind::Switch, 1, &Store<&CSimDevice::Options::bootLoader>},
    {"pace", nullptr, "deliver bytes at the line's bit rate", false,
        SimSetting::Kind::Switch, 1, &Store<&CSimDevice::Options::pace>},
    {"delay", "MS", "time before an answer starts (default 1)", false,
        SimSetting::Kind::Number, 0xFFFFFFFF, &Store<&CSimDevice::Options::answerDelayMs>},
    {"seed", "N", "seed of the configuration memory and of random faults (default 1)", false,
        SimSetting::Kind::Number, 0xFFFFFFFF, &Store<&CSimDevice::Options::seed>},
    {"erase-ms", "MS", "time the boot loader takes to erase the program flash (default 1500)", false,
        SimSetting::Kind::Number, 0xFFFFFFFF, &Store<&CSimDevice::Options::eraseMs>},
    {"revision-after-load", "R",
        "revision reported after a firmware load (default: the image's revision marker, else unchanged)", false,
        SimSetting::Kind::Number, 0xFFFF, &Store<&CSimDevice::Options::revisionAfterLoad>},
    {"fault-entries", "N", "a fault log of N entries, newest last (past 1024 the oldest are overwritten)", false,
        SimSetting::Kind::Number, 100000, &Store<&CSimDevice::Options::faultEntries>},
    {"fault-index", "N", "the fault log's index word reads N, 0 ... 65535 (1024 and up: a damaged log)", false,
        SimSetting::Kind::Number, 0xFFFF, &Store<&CSimDevice::Options::faultIndex>},
    {"drop-answer", "N", "drop the n-th answer", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::dropAnswerNumber>},
    {"drop-rate", "P", "drop answers at random with probability P (0 ... 1)", true,
        SimSetting::Kind::Probability, 1, &Store<&CSimDevice::Faults::dropAnswerProbability>},
    {"corrupt-answer", "N", "flip one bit in the n-th answer", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::corruptAnswerNumber>},
    {"corrupt-rate", "P", "flip one bit of an output byte with probability P", true,
        SimSetting::Kind::Probability, 1, &Store<&CSimDevice::Faults::corruptByteProbability>},
    {"corrupt-pair", "N", "damage two data digits of the n-th answer so that its check byte still holds", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::corruptPairNumber>},
    {"silent", nullptr, "answer nothing at all", true,
        SimSetting::Kind::Switch, 1, &Store<&CSimDevice::Faults::silent>},
    {"answer-speed", "BITS", "listen and answer at this speed instead of the configured one", true,
        SimSetting::Kind::Speed, 0, &Store<&CSimDevice::Faults::answerAtSpeed>},
    {"unplugged", nullptr, "the device has vanished: every port operation fails", true,
        SimSetting::Kind::Switch, 1, &Store<&CSimDevice::Faults::unplugged>},
    {"unplug-after", "MS", "the device vanishes this long after it is first served", true,
        SimSetting::Kind::Number, 0xFFFFFFFF, &Store<&CSimDevice::Faults::unplugAfterMs>},
    {"refuse-packet", "N", "boot loader: refuse the n-th good firmware packet with \"N\"", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::refusePacketNumber>},
    {"refuse-times", "M", "boot loader: how many times that packet is refused (default 1)", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::refusePacketTimes>},
    {"drop-ack", "N", "boot loader: store the n-th packet but send no acknowledgement", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::dropAckNumber>},
    {"drop-ack-rate", "P", "boot loader: drop acknowledgements at random with probability P", true,
        SimSetting::Kind::Probability, 1, &Store<&CSimDevice::Faults::dropAckProbability>},
    {"answer-c", "N", "boot loader: answer \"C\" to the n-th packet", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::answerCNumber>},
    {"no-echo-d", nullptr, "boot loader: never echo \"D\"", true,
        SimSetting::Kind::Switch, 1, &Store<&CSimDevice::Faults::neverEchoD>},
    {"power-loss", "N", "boot loader: power fails when the n-th packet is complete", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::powerLossPacketNumber>},
    {"power-loss-ms", "MS", "how long the power stays off (default 1000)", true,
        SimSetting::Kind::Number, 0xFFFFFFFF, &Store<&CSimDevice::Faults::powerLossMs>},
    {"power-off", nullptr, "start switched off: only \"^on;\" is answered until \"^on1;\"", false,
        SimSetting::Kind::Switch, 1, &Store<&CSimDevice::Options::powerOff>},
    {"amp-fault", "CODE", "the amplifier has tripped with FAULT code CODE (1 ... 255); RESET clears it", true,
        SimSetting::Kind::Number, 0xFF, &Store<&CSimDevice::Faults::amplifierFault>},
    {"transmit", "on|off|cycle:S",
        "on: an operator transmits 20 s of every 30 (the default); off: receive, 0 W forward and input; "
        "cycle:S: transmit S seconds, receive S seconds, in turn", false,
        SimSetting::Kind::Transmit, 86400, &Store<&CSimDevice::Options::transmit>},
    {"fall-silent", "N", "operate: the n-th operate command is the first left unanswered", true,
        SimSetting::Kind::Number, kCount, &Store<&CSimDevice::Faults::fallSilentAnswer>},
};

bool Bad(QString* error, const QString& name, const QString& value)
{
    if (error)
        *error = QStringLiteral("bad value \"%1\" for %2").arg(value, name);
    return false;
}

bool ReadNumber(const QString& value, qulonglong max, qulonglong* out)
{
    bool ok = false;
    const qulonglong n = value.trimmed().toULongLong(&ok, 10);
    if (!ok || n > max)
        return false;
    *out = n;
    return true;
}
} // namespace

const std::vector<SimSetting>& SimSettings()
{
    return kSettings;
}

const SimSetting* FindSimSetting(const QString& name)
{
    for (const SimSetting& s : kSettings)
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

bool ApplySimSetting(
    const QString& name, const QString& value, CSimDevice::Options* options, CSimDevice::Faults* faults, QString* error)
{
    const SimSetting* setting = FindSimSetting(name);
    if (!setting) {
        if (error)
            *error = QStringLiteral("unknown setting \"%1\"").arg(name);
        return false;
    }
    if (setting->fault && !faults) {
        if (error)
            *error = QStringLiteral("%1 is a fault; faults are not accepted here").arg(name);
        return false;
    }
    CSimDevice::Faults dummy;
    double read = 0;
    const QString v = value.trimmed();
    switch (setting->kind) {
    case SimSetting::Kind::Switch:
        // Nothing or 1 switches it on, 0 off.
        if (v.isEmpty() || v == QLatin1String("1"))
            read = 1;
        else if (v != QLatin1String("0"))
            return Bad(error, name, value);
        break;
    case SimSetting::Kind::Probability: {
        bool ok = false;
        read = v.toDouble(&ok);
        if (!ok || read < 0 || read > 1)
            return Bad(error, name, value);
        break;
    }
    case SimSetting::Kind::Transmit: {
        qulonglong seconds = 0;
        if (v == QLatin1String("on"))
            read = CSimDevice::Options::kTransmitOn;
        else if (v == QLatin1String("off"))
            read = CSimDevice::Options::kTransmitOff;
        else if (v.startsWith(QLatin1String("cycle:")) && ReadNumber(v.mid(6), setting->max, &seconds) && seconds > 0)
            read = static_cast<double>(seconds);
        else
            return Bad(error, name, value);
        break;
    }
    case SimSetting::Kind::Speed:
    case SimSetting::Kind::Number: {
        qulonglong n = 0;
        const bool speed = setting->kind == SimSetting::Kind::Speed;
        if (!ReadNumber(value, speed ? 230400 : setting->max, &n)
            || (speed && !IsSupportedSpeed(static_cast<DWORD>(n))))
            return Bad(error, name, value);
        read = static_cast<double>(n);
        break;
    }
    }
    setting->store(*options, faults ? *faults : dummy, read);
    return true;
}

bool ParseSimOptions(const QString& text, CSimDevice::Options* options, CSimDevice::Faults* faults, QString* error)
{
    CSimDevice::Options o = *options;
    CSimDevice::Faults f = faults ? *faults : CSimDevice::Faults {};
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString pair = part.trimmed();
        if (pair.isEmpty())
            continue;
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        const QString name = (eq < 0 ? pair : pair.left(eq)).trimmed().toLower();
        const QString value = eq < 0 ? QString() : pair.mid(eq + 1);
        const SimSetting* setting = FindSimSetting(name);
        if (setting && setting->value && eq < 0) {
            if (error)
                *error = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        if (!ApplySimSetting(name, value, &o, faults ? &f : nullptr, error))
            return false;
    }
    // Only a text read whole changes anything.
    *options = o;
    if (faults)
        *faults = f;
    return true;
}

bool ParseSimOptions(const QString& text, CSimDevice::Options* options, QString* error)
{
    return ParseSimOptions(text, options, nullptr, error);
}
