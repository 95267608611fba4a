#include "sim/SimSettings.h"
#include <QList>

namespace {
// The value part of a command: what follows "^" + name, without the final ";".
QByteArray ValueOf(const QByteArray& command, qsizetype nameLength)
{
    return command.mid(1 + nameLength, command.size() - 2 - nameLength);
}

// 11 numbers separated by spaces or commas (the set command puts one before the first too).
bool ReadBands(const QByteArray& text, unsigned minimum, unsigned maximum, CSimSettings::Bands* bands)
{
    const QList<QByteArray> parts = text.simplified().replace(',', ' ').split(' ');
    QList<QByteArray> numbers;
    for (const QByteArray& part : parts)
        if (!part.isEmpty())
            numbers << part;
    if (numbers.size() != 11)
        return false;
    CSimSettings::Bands read {};
    for (int band = 0; band < 11; ++band) {
        bool ok = false;
        const unsigned n = numbers[band].toUInt(&ok);
        if (!ok || numbers[band].size() > 4 || n < minimum || n > maximum)
            return false;
        read[band] = n;
    }
    *bands = read;
    return true;
}

bool IsPrintableText(const QByteArray& text)
{
    if (text.size() > CSimSettings::kMaxText)
        return false;
    for (char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

bool IsIPv4(const QByteArray& text)
{
    const QList<QByteArray> parts = text.split('.');
    if (parts.size() != 4)
        return false;
    for (const QByteArray& part : parts) {
        bool ok = false;
        if (part.isEmpty() || part.size() > 3 || part.toUInt(&ok) > 255 || !ok)
            return false;
        for (char c : part)
            if (c < '0' || c > '9')
                return false;
    }
    return true;
}

bool IsPort(const QByteArray& text)
{
    bool ok = false;
    const unsigned port = text.toUInt(&ok);
    return ok && text.size() <= 5 && port >= 1 && port <= 65535 && text.front() != '+';
}

bool NeverSet(const QByteArray&)
{
    return false;
}
} // namespace

CSimSettings::CSimSettings(CSimDevice& device)
    : m_device(device)
{
    const WORD serial = device.GetOptions().serialNumber;
    m_state.netMac = "00:1E:C0:00:" + QByteArray::number(serial >> 8, 16).rightJustified(2, '0').toUpper() + ':'
        + QByteArray::number(serial & 0xFF, 16).rightJustified(2, '0').toUpper();

    AddBands("aeab", &State::antennaEnable, 0, 2, 0);
    AddBands("apab", &State::antennaPreferred, 0, 2, 0);
    AddBands("hsab", &State::atuHiSwrRetune, 0, 1, 0);
    AddFlag("aa", &State::atuModeSwitch, false);
    AddBands("abab", &State::atuSettingsPerBin, 1, 31, 2);
    AddFlag("xk", &State::atuXcvrKey, false);
    AddText("bt", &State::banner, IsPrintableText, false);
    AddBands("stbab", &State::swrBypass, 10, 999, 3);
    AddBands("stnab", &State::swrNoMatch, 10, 999, 3);
    AddBands("staab", &State::swrRetune, 10, 999, 3);
    AddBands("stsab", &State::swrStop, 10, 999, 3);
    AddFlag("dh", &State::netDhcp, true);
    AddText("ip", &State::netIp, IsIPv4, true);
    AddText("gw", &State::netGateway, IsIPv4, true);
    AddText("ma", &State::netMac, NeverSet, true);
    AddText("nm", &State::netMask, IsIPv4, true);
    AddText("cp", &State::netPort, IsPort, true);
    AddFlag("wl", &State::netWakeOnLan, true);
    // "^pf1..." and "^pf2...": the digit belongs to the name, the text follows it.
    m_device.SetCommandHandler("pf*", [this](const QByteArray& command) -> QByteArray {
        if (command.size() < 4 || (command[3] != '1' && command[3] != '2'))
            return {};
        QByteArray& key = command[3] == '1' ? m_state.pf1 : m_state.pf2;
        const QByteArray value = ValueOf(command, 3);
        if (value.isEmpty())
            return QByteArray("^PF") + command[3] + key + ';';
        if (!m_refuseSets && IsPrintableText(value))
            key = value;
        return {};
    });
}

void CSimSettings::AddBands(const char* name, Bands State::*field, unsigned minimum, unsigned maximum, int width)
{
    const QByteArray echo = '^' + QByteArray(name).toUpper();
    m_device.SetCommandHandler(name, [=, this](const QByteArray& command) -> QByteArray {
        const QByteArray value = ValueOf(command, echo.size() - 1);
        Bands& bands = m_state.*field;
        if (!value.isEmpty()) {
            if (!m_refuseSets)
                ReadBands(value, minimum, maximum, &bands);
            return {};
        }
        QByteArray answer = echo;
        for (int band = 0; band < 11; ++band) {
            if (width == 0)
                answer += QByteArray::number(bands[band]);
            else
                answer += (band ? " " : "") + QByteArray::number(bands[band]).rightJustified(width, '0');
        }
        return answer + ';';
    });
}

void CSimSettings::AddFlag(const char* name, unsigned State::*field, bool network)
{
    const QByteArray echo = '^' + QByteArray(name).toUpper();
    m_device.SetCommandHandler(name, [=, this](const QByteArray& command) -> QByteArray {
        if (network && m_noNetwork)
            return {};
        const QByteArray value = ValueOf(command, echo.size() - 1);
        if (value.isEmpty())
            return echo + QByteArray::number(m_state.*field) + ';';
        if (!m_refuseSets && (value == "0" || value == "1"))
            m_state.*field = value == "1" ? 1 : 0;
        return {};
    });
}

void CSimSettings::AddText(const char* name, QByteArray State::*field, bool (*check)(const QByteArray&), bool network)
{
    const QByteArray echo = '^' + QByteArray(name).toUpper();
    m_device.SetCommandHandler(QByteArray(name) + '*', [=, this](const QByteArray& command) -> QByteArray {
        if (network && m_noNetwork)
            return {};
        const QByteArray value = ValueOf(command, echo.size() - 1);
        if (value.isEmpty())
            return echo + m_state.*field + ';';
        if (!m_refuseSets && check(value))
            m_state.*field = value;
        return {};
    });
}
