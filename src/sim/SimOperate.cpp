#include "sim/SimOperate.h"
#include "model/HexDigits.h"
#include <QList>
#include <algorithm>
#include <cctype>
#include <cmath>

namespace {
// Band keys by key number, band numbers 0 to 10 (the 28 MHz key's number is not known here).
struct BandKey {
    int number;
    int band;
    WORD kilohertz;
};
constexpr BandKey kBandKeys[] = {{7, 0, 1830}, {15, 1, 3650}, {23, 2, 5357}, {6, 3, 7100}, {4, 4, 10120},
    {22, 5, 14200}, {5, 6, 18100}, {13, 7, 21200}, {21, 8, 24940}, {12, 10, 50150}};
constexpr WORD kBandKilohertz[11] = {1830, 3650, 5357, 7100, 10120, 14200, 18100, 21200, 24940, 28500, 50150};
constexpr double kPi = 3.14159265358979323846;
constexpr double kAmbient = 26.0;
constexpr DWORD kKeyMessageMs = 2000;

QByteArray Number(long long value)
{
    return QByteArray::number(value);
}

QByteArray HexByte(BYTE value)
{
    return QByteArray() + Hex::kUpperDigits[value >> 4] + Hex::kUpperDigits[value & 0xF];
}

// The relay commands run their byte straight on after the name, and the hex digits A to F read
// as more letters of it ("^crAB;" names "crab"): the feature answers to every such spelling.
QList<QByteArray> RelayNames(const char* base)
{
    QList<QByteArray> names {QByteArray(base)};
    for (char a = 'a'; a <= 'f'; ++a) {
        names << QByteArray(base) + a;
        for (char b = 'a'; b <= 'f'; ++b)
            names << QByteArray(base) + a + b;
    }
    return names;
}
} // namespace

CSimOperate::CSimOperate(CSimDevice& device)
    : m_device(device)
{
    QList<QByteArray> names {"ds", "fl", "oc", "os", "an", "bn", "am", "ai", "si", "fq", "pc", "vmh", "pwd", "pwf",
        "pwi", "pwr", "sw", "sb", "tm", "bpt", "bph"};
    names << RelayNames("cr") << RelayNames("lr");
    for (const QByteArray& name : names)
        device.SetCommandHandler(name, [this](const QByteArray& command) { return Handle(command); });
}

double CSimOperate::Drive(double seconds)
{
    // Transmitting for the first 20 s of every 30 (or as the transmit option says), with a
    // voice-like swing of the drive. A function of the time alone, so that the queries of one
    // cycle agree with each other. In receive there is no drive: no input, no forward power.
    if (!Transmitting(seconds))
        return 0;
    return 50.0 + 8.0 * std::sin(2 * kPi * seconds / 7.0) + 2.0 * std::sin(2 * kPi * seconds / 1.3);
}

bool CSimOperate::Transmitting(double seconds) const
{
    const int transmit = m_device.GetOptions().transmit;
    if (transmit == CSimDevice::Options::kTransmitOn)
        return std::fmod(seconds, 30.0) < 20.0;
    if (transmit <= CSimDevice::Options::kTransmitOff)
        return false;
    return std::fmod(seconds, 2.0 * transmit) < transmit;
}

bool CSimOperate::Transmitting()
{
    return Transmitting(m_device.Host().TickCount() / 1000.0);
}

CSimOperate::Readings CSimOperate::Read()
{
    const DWORD now = m_device.Host().TickCount();
    const double seconds = now / 1000.0;
    const BYTE fault = m_device.GetFaults().amplifierFault;
    Readings r;
    r.frequency = kBandKilohertz[std::clamp(m_band, 0, 10)];
    const double drive = Drive(seconds);
    r.input = static_cast<WORD>(std::lround(drive));
    const bool amplifying = m_operate && fault == 0 && drive > 0;
    // In standby (or tripped by a fault) the exciter's power passes the amplifier by.
    const double forward = amplifying ? std::min(1500.0, drive * (22.0 + m_band * 0.2)) : drive;
    r.forward = static_cast<WORD>(std::lround(forward));

    const double drift = 0.05 * std::sin(2 * kPi * seconds / 97.0);
    const double bypass = 1.3 + 0.15 * (m_band % 4) + (m_antenna == 2 ? 0.4 : 0.0) + drift;
    const double swr = m_atuMode == L'I' ? (m_tuned ? 1.1 : 1.6) + drift : bypass;
    if (forward > 0) {
        r.swr = static_cast<WORD>(std::lround(swr * 10));
        r.swrBypass = static_cast<WORD>(std::lround(bypass * 10));
        const double gamma = (swr - 1) / (swr + 1);
        r.reflected = static_cast<WORD>(std::lround(forward * gamma * gamma));
    }

    const double dc = amplifying ? forward / 0.62 : 0.0;
    const double volts = 53.5 - dc / 53.5 * 0.09;
    r.millivolts = static_cast<DWORD>(std::lround(volts * 1000));
    r.current = static_cast<WORD>(std::lround(dc / volts));
    r.dissipated = static_cast<WORD>(std::lround(dc - (amplifying ? forward : 0.0)));

    // The heat sink follows its load with a time constant of 90 s; in standby the fan brings it
    // down towards the room's temperature.
    const double target = m_operate ? 30.0 + r.dissipated * 0.03 : kAmbient;
    const double dt = (now - m_temperatureAt) / 1000.0;
    m_temperature = target + (m_temperature - target) * std::exp(-dt / 90.0);
    m_temperatureAt = now;
    r.temperature = static_cast<WORD>(std::lround(m_temperature));
    return r;
}

QByteArray CSimOperate::DisplayText()
{
    const Readings r = Read();
    const WORD kilohertz = kBandKilohertz[std::clamp(m_band, 0, 10)];
    QByteArray first = (m_operate ? "OPER " : "STBY ") + Number(kilohertz / 1000) + '.'
        + Number(kilohertz % 1000).rightJustified(3, '0') + " ANT" + Number(m_antenna);
    const BYTE fault = m_device.GetFaults().amplifierFault;
    QByteArray second;
    if (fault != 0)
        second = "FAULT " + HexByte(fault);
    else if (!m_keyMessage.isEmpty() && m_device.Host().TickCount() - m_keyMessageAt < kKeyMessageMs)
        second = m_keyMessage;
    else
        second = Number(r.forward).rightJustified(4, ' ') + "W SWR " + Number(r.swr / 10) + '.' + Number(r.swr % 10);
    return first.leftJustified(20, ' ') + '\n' + second.leftJustified(20, ' ');
}

QByteArray CSimOperate::Handle(const QByteArray& command)
{
    // Switched off, the amplifier's processor answers the power query and nothing of the panel.
    if (!m_device.PowerOn())
        return QByteArray();
    CSimDevice::Faults& faults = m_device.GetFaults();
    if (faults.fallSilentAnswer > 0 && --faults.fallSilentAnswer == 0)
        faults.silent = true;
    qsizetype end = 1;
    while (end < command.size() && std::isalpha(static_cast<unsigned char>(command[end])))
        ++end;
    const QByteArray name = command.mid(1, end - 1).toLower();
    if (name == "bpt" || name == "bph") {
        const QByteArray digits = command.mid(end, command.size() - end - 1);
        bool ok = false;
        const int number = digits.toInt(&ok);
        if (ok && digits.size() == 2)
            Key(name == "bph", number);
        return QByteArray();
    }
    const QByteArray lower = command.toLower();
    for (const char* bank : {"^cr", "^lr"}) {
        if (lower.startsWith(bank) && lower != QByteArray(bank) + ';') {
            SetRelays(bank[1] == 'c' ? m_capacitors : m_inductors, command.mid(3, command.size() - 4));
            return QByteArray();
        }
    }
    if (command.size() != end + 1)
        return QByteArray(); // a query takes no parameters
    return Query(name);
}

QByteArray CSimOperate::Query(const QByteArray& name)
{
    if (name == "ds")
        return "^DS" + DisplayText() + ';';
    if (name == "fl")
        return "^FL" + HexByte(m_device.GetFaults().amplifierFault) + ';';
    if (name == "oc")
        return m_device.GetOptions().revision >= 153 ? QByteArray("^OC00;") : QByteArray();
    if (name == "os")
        return m_operate && m_device.GetFaults().amplifierFault == 0 ? "^OS1;" : "^OS0;";
    if (name == "an")
        return "^AN" + Number(m_antenna) + ';';
    if (name == "bn")
        return "^BN" + Number(m_band) + ';';
    if (name == "am")
        return QByteArray("^AM") + static_cast<char>(m_atuMode) + ';';
    if (name == "ai")
        return m_atuMode == L'I' ? "^AI1;" : "^AI0;";
    if (name == "cr")
        return "^CR" + HexByte(m_capacitors) + ';';
    if (name == "lr")
        return "^LR" + HexByte(m_inductors) + ';';
    if (name == "si")
        return QByteArray("^SI") + static_cast<char>(m_side) + ';';
    const Readings r = Read();
    const std::pair<const char*, long long> readings[]
        = {{"fq", r.frequency}, {"pc", r.current}, {"vmh", r.millivolts}, {"pwd", r.dissipated}, {"pwf", r.forward},
            {"pwi", r.input}, {"pwr", r.reflected}, {"sw", r.swr}, {"sb", r.swrBypass}, {"tm", r.temperature}};
    for (const auto& [query, value] : readings)
        if (name == query)
            return '^' + QByteArray(query).toUpper() + Number(value) + ';';
    return QByteArray();
}

void CSimOperate::Key(bool hold, int number)
{
    m_keyMessageAt = m_device.Host().TickCount();
    for (const BandKey& key : kBandKeys) {
        if (!hold && key.number == number) {
            m_band = key.band;
            m_tuned = false; // the tuner finds its memory for the new band on the first carrier
            m_keyMessage = "BAND " + Number(key.kilohertz / 1000) + " MHZ";
            return;
        }
    }
    if (!hold && number == 1) {
        m_antenna = m_antenna == 1 ? 2 : 1;
        m_keyMessage = "ANTENNA " + Number(m_antenna);
    } else if (!hold && number == 9) {
        m_tuned = true;
        m_keyMessage = "ATU TUNE";
    } else if (hold && number == 9) {
        m_atuMode = m_atuMode == L'I' ? L'B' : L'I';
        m_keyMessage = m_atuMode == L'I' ? "ATU IN" : "ATU BYPASS";
    } else if (!hold && number == 10) {
        m_device.GetFaults().amplifierFault = 0;
        m_keyMessage = "RESET";
    } else if (!hold && number == 18) {
        m_operate = !m_operate;
        m_keyMessage = m_operate ? "OPERATE" : "STANDBY";
    } else {
        m_keyMessage = (hold ? "HOLD " : "KEY ") + Number(number);
    }
}

void CSimOperate::SetRelays(BYTE& relays, const QByteArray& digits)
{
    if (digits.size() != 2)
        return;
    const int high = Hex::DigitValue(digits[0]);
    const int low = Hex::DigitValue(digits[1]);
    if (high >= 0 && low >= 0)
        relays = static_cast<BYTE>(high << 4 | low);
}
