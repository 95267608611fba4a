#include "sim/SimOptions.h"
#include "model/SerialPortInterface.h"
#include <QStringList>

namespace {
const std::vector<SimSetting> kSettings = {
    {"baud", "BITS", "configured serial speed: 4800 ... 230400 (default 38400)", false},
    {"serial", "N", "serial number, 0 ... 65535 (default 1234)", false},
    {"revision", "R", "application firmware revision, 153 for 01.53 (default 153)", false},
    {"bootloader", nullptr, "start in the boot loader, waiting for firmware", false},
    {"pace", nullptr, "deliver bytes at the line's bit rate", false},
    {"delay", "MS", "time before an answer starts (default 1)", false},
    {"seed", "N", "seed of the configuration memory and of random faults (default 1)", false},
    {"erase-ms", "MS", "time the boot loader takes to erase the program flash (default 1500)", false},
    {"revision-after-load", "R",
        "revision reported after a firmware load (default: the image's revision marker, else unchanged)", false},
    {"fault-entries", "N", "a fault log of N entries, newest last (past 1024 the oldest are overwritten)", false},
    {"fault-index", "N", "the fault log's index word reads N, 0 ... 65535 (1024 and up: a damaged log)", false},
    {"drop-answer", "N", "drop the n-th answer", true},
    {"drop-rate", "P", "drop answers at random with probability P (0 ... 1)", true},
    {"corrupt-answer", "N", "flip one bit in the n-th answer", true},
    {"corrupt-rate", "P", "flip one bit of an output byte with probability P", true},
    {"corrupt-pair", "N", "damage two data digits of the n-th answer so that its check byte still holds", true},
    {"silent", nullptr, "answer nothing at all", true},
    {"answer-speed", "BITS", "listen and answer at this speed instead of the configured one", true},
    {"unplugged", nullptr, "the device has vanished: every port operation fails", true},
    {"unplug-after", "MS", "the device vanishes this long after it is first served", true},
    {"refuse-packet", "N", "boot loader: refuse the n-th good firmware packet with \"N\"", true},
    {"refuse-times", "M", "boot loader: how many times that packet is refused (default 1)", true},
    {"drop-ack", "N", "boot loader: store the n-th packet but send no acknowledgement", true},
    {"drop-ack-rate", "P", "boot loader: drop acknowledgements at random with probability P", true},
    {"answer-c", "N", "boot loader: answer \"C\" to the n-th packet", true},
    {"no-echo-d", nullptr, "boot loader: never echo \"D\"", true},
    {"power-loss", "N", "boot loader: power fails when the n-th packet is complete", true},
    {"power-loss-ms", "MS", "how long the power stays off (default 1000)", true},
    {"power-off", nullptr, "start switched off: only \"^on;\" is answered until \"^on1;\"", false},
    {"amp-fault", "CODE", "the amplifier has tripped with FAULT code CODE (1 ... 255); RESET clears it", true},
    {"fall-silent", "N", "operate: the n-th operate command is the first left unanswered", true},
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
    CSimDevice::Options& o = *options;
    CSimDevice::Faults dummy;
    CSimDevice::Faults& f = faults ? *faults : dummy;

    if (!setting->value) {
        const QString v = value.trimmed();
        bool on;
        if (v.isEmpty() || v == QLatin1String("1"))
            on = true;
        else if (v == QLatin1String("0"))
            on = false;
        else
            return Bad(error, name, value);
        if (name == QLatin1String("bootloader"))
            o.bootLoader = on;
        else if (name == QLatin1String("pace"))
            o.pace = on;
        else if (name == QLatin1String("silent"))
            f.silent = on;
        else if (name == QLatin1String("unplugged"))
            f.unplugged = on;
        else if (name == QLatin1String("no-echo-d"))
            f.neverEchoD = on;
        else if (name == QLatin1String("power-off"))
            o.powerOff = on;
        return true;
    }

    if (QLatin1String(setting->value) == QLatin1String("P")) {
        bool ok = false;
        const double p = value.trimmed().toDouble(&ok);
        if (!ok || p < 0 || p > 1)
            return Bad(error, name, value);
        if (name == QLatin1String("drop-rate"))
            f.dropAnswerProbability = p;
        else if (name == QLatin1String("corrupt-rate"))
            f.corruptByteProbability = p;
        else if (name == QLatin1String("drop-ack-rate"))
            f.dropAckProbability = p;
        return true;
    }

    qulonglong n = 0;
    if (QLatin1String(setting->value) == QLatin1String("BITS")) {
        if (!ReadNumber(value, 230400, &n) || !IsSupportedSpeed(static_cast<DWORD>(n)))
            return Bad(error, name, value);
        if (name == QLatin1String("baud"))
            o.speed = static_cast<DWORD>(n);
        else
            f.answerAtSpeed = static_cast<DWORD>(n);
        return true;
    }
    const bool word = name == QLatin1String("serial") || name == QLatin1String("revision")
        || name == QLatin1String("revision-after-load") || name == QLatin1String("fault-index");
    const bool count
        = QLatin1String(setting->value) == QLatin1String("N") || QLatin1String(setting->value) == QLatin1String("M");
    qulonglong max = word ? 0xFFFF : count && setting->fault ? 0x7FFFFFFF : 0xFFFFFFFF;
    if (name == QLatin1String("fault-entries"))
        max = 100000;
    if (name == QLatin1String("amp-fault"))
        max = 0xFF; // a fault code is one byte
    if (!ReadNumber(value, max, &n))
        return Bad(error, name, value);
    if (name == QLatin1String("serial"))
        o.serialNumber = static_cast<WORD>(n);
    else if (name == QLatin1String("revision"))
        o.revision = static_cast<WORD>(n);
    else if (name == QLatin1String("revision-after-load"))
        o.revisionAfterLoad = static_cast<WORD>(n);
    else if (name == QLatin1String("fault-entries"))
        o.faultEntries = static_cast<int>(n);
    else if (name == QLatin1String("fault-index"))
        o.faultIndex = static_cast<int>(n);
    else if (name == QLatin1String("delay"))
        o.answerDelayMs = static_cast<DWORD>(n);
    else if (name == QLatin1String("seed"))
        o.seed = static_cast<std::uint32_t>(n);
    else if (name == QLatin1String("erase-ms"))
        o.eraseMs = static_cast<DWORD>(n);
    else if (name == QLatin1String("drop-answer"))
        f.dropAnswerNumber = static_cast<int>(n);
    else if (name == QLatin1String("corrupt-answer"))
        f.corruptAnswerNumber = static_cast<int>(n);
    else if (name == QLatin1String("corrupt-pair"))
        f.corruptPairNumber = static_cast<int>(n);
    else if (name == QLatin1String("refuse-packet"))
        f.refusePacketNumber = static_cast<int>(n);
    else if (name == QLatin1String("refuse-times"))
        f.refusePacketTimes = static_cast<int>(n);
    else if (name == QLatin1String("drop-ack"))
        f.dropAckNumber = static_cast<int>(n);
    else if (name == QLatin1String("answer-c"))
        f.answerCNumber = static_cast<int>(n);
    else if (name == QLatin1String("power-loss"))
        f.powerLossPacketNumber = static_cast<int>(n);
    else if (name == QLatin1String("power-loss-ms"))
        f.powerLossMs = static_cast<DWORD>(n);
    else if (name == QLatin1String("unplug-after"))
        f.unplugAfterMs = static_cast<DWORD>(n);
    else if (name == QLatin1String("amp-fault"))
        f.amplifierFault = static_cast<BYTE>(n);
    else if (name == QLatin1String("fall-silent"))
        f.fallSilentAnswer = static_cast<int>(n);
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
