#include "sim/SimClock.h"
#include <cctype>

namespace {
int Digits(const QByteArray& text, qsizetype at)
{
    if (at + 1 >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))
        || !std::isdigit(static_cast<unsigned char>(text[at + 1])))
        return -1;
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}
} // namespace

CSimClock::CSimClock(CSimDevice& device)
    : m_device(device)
{
    Set(QDateTime::currentDateTimeUtc().addSecs(kInitialDriftSeconds));
    m_setCount = 0;
    device.SetCommandHandler("cc", [this](const QByteArray& command) { return OnCommand(command); });
}

QDateTime CSimClock::Now() const
{
    if (!m_base.isValid())
        return m_base;
    return m_base.addMSecs(static_cast<qint64>(m_device.Host().MicroTicks() / 1000 - m_baseMs));
}

void CSimClock::Set(const QDateTime& time)
{
    m_base = time.isValid() ? QDateTime(time.date(), time.time(), Qt::UTC) : QDateTime();
    m_baseMs = m_device.Host().MicroTicks() / 1000;
    ++m_setCount;
}

void CSimClock::SetUnset()
{
    Set(QDateTime());
}

QByteArray CSimClock::Answer() const
{
    const QDateTime now = Now();
    if (!now.isValid())
        return QByteArrayLiteral("^CC00-00-00T00:00:00;");
    const QDate d = now.date();
    const QTime t = now.time();
    return QString::asprintf(
        "^CC%02d-%02d-%02dT%02d:%02d:%02d;", d.year() % 100, d.month(), d.day(), t.hour(), t.minute(), t.second())
        .toLatin1();
}

QByteArray CSimClock::OnCommand(const QByteArray& command)
{
    if (command.size() == 4)
        return Answer(); // "^cc;"
    // "^ccYY-MM-DDTHH:MM:SS;": 21 characters, separators where they belong.
    if (command.size() != 21 || command[5] != '-' || command[8] != '-' || (command[11] & 0xDF) != 'T'
        || command[14] != ':' || command[17] != ':')
        return QByteArray();
    const QDate date(2000 + Digits(command, 3), Digits(command, 6), Digits(command, 9));
    const QTime time(Digits(command, 12), Digits(command, 15), Digits(command, 18));
    if (Digits(command, 3) < 0 || !date.isValid() || !time.isValid())
        return QByteArray();
    Set(QDateTime(date, time, Qt::UTC));
    return QByteArray();
}
