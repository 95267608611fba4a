#include "operate/SessionSummary.h"
#include "model/FaultNames.h"
#include "model/StringTable.h"
#include "operate/OperateKeys.h"
#include "operate/OperateText.h"
#include "operate/TelemetryStringIds.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {
// SWR readings outside 1.0 to 99.9 are no reading at all.
bool IsSwr(unsigned tenths)
{
    return tenths >= 10 && tenths <= 999;
}

QString Time(const QDateTime& at)
{
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
}

// "1:02:03"
QString Span(std::uint64_t ms)
{
    const std::uint64_t s = (ms + 500) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString OrNotRead(const std::optional<unsigned>& value, const char* unit)
{
    return value ? QString::number(*value) + QLatin1String(unit) : ResourceString(IDS_TM_NOT_READ);
}

QJsonValue Seconds(std::uint64_t ms)
{
    return static_cast<double>(ms) / 1000.0;
}

template <class T> QJsonValue OrNull(const std::optional<T>& value)
{
    return value ? QJsonValue(static_cast<double>(*value)) : QJsonValue();
}
} // namespace

void CSessionSummary::Start(const QDateTime& at, std::uint64_t tick)
{
    if (m_running)
        return;
    if (!m_startedAt.isValid())
        m_startedAt = at;
    m_running = true;
    m_since = tick;
    m_lastCycle.reset();
}

void CSessionSummary::Pause(const QDateTime& at, std::uint64_t tick)
{
    (void)at;
    if (!m_running)
        return;
    m_pastMs += tick - std::min(tick, m_since);
    m_running = false;
}

void CSessionSummary::Add(const OperateSnapshot& s)
{
    if (!m_running)
        return;
    ++m_cycles;
    const std::uint64_t span = m_lastCycle && s.tick > *m_lastCycle ? s.tick - *m_lastCycle : 0;
    m_lastCycle = s.tick;
    const bool transmitting = s.forwardW && *s.forwardW >= kTransmitWatts;
    if (s.operate && *s.operate)
        m_operateMs += span;
    if (transmitting)
        m_transmitMs += span;
    if (s.forwardW && (!m_peakForwardW || *s.forwardW > *m_peakForwardW))
        m_peakForwardW = s.forwardW;
    if (transmitting && s.swrTenths && IsSwr(*s.swrTenths) && (!m_maxSwrTenths || *s.swrTenths > *m_maxSwrTenths)) {
        m_maxSwrTenths = s.swrTenths;
        m_maxSwrBand = s.band && !OperateKeys::BandLabel(*s.band).isEmpty() ? s.band : std::nullopt;
    }
    if (s.temperatureC && (!m_maxTemperatureC || *s.temperatureC > *m_maxTemperatureC))
        m_maxTemperatureC = s.temperatureC;
    if (s.faultCode) {
        // A fault that stays over many cycles (or over cycles that did not read it) is one.
        if (*s.faultCode != 0 && m_lastFault != s.faultCode) {
            if (m_faults.size() < kMaxListedFaults)
                m_faults.push_back({s.at, *s.faultCode});
            else
                ++m_faultsNotListed;
        }
        m_lastFault = s.faultCode;
    }
}

std::uint64_t CSessionSummary::DurationMs(std::uint64_t tick) const
{
    return m_pastMs + (m_running && tick > m_since ? tick - m_since : 0);
}

QString CSessionSummary::Text(std::uint64_t tick) const
{
    QStringList lines {ResourceString(IDS_TM_SUMMARY),
        FormatResource(IDS_TM_DURATION, Span(DurationMs(tick)), m_cycles),
        FormatResource(IDS_TM_OPERATE, Span(m_operateMs)),
        FormatResource(IDS_TM_TRANSMIT, kTransmitWatts, Span(m_transmitMs)),
        FormatResource(IDS_TM_PEAK_FORWARD, OrNotRead(m_peakForwardW, " W"))};
    const QString swr
        = m_maxSwrTenths ? OperateText::Swr(static_cast<WORD>(*m_maxSwrTenths)) : ResourceString(IDS_TM_NOT_READ);
    lines << (m_maxSwrBand ? FormatResource(IDS_TM_MAX_SWR_BAND, swr, OperateKeys::BandLabel(*m_maxSwrBand))
                           : FormatResource(IDS_TM_MAX_SWR, swr));
    lines << FormatResource(IDS_TM_MAX_TEMPERATURE, OrNotRead(m_maxTemperatureC, " C"));
    if (m_faults.empty())
        lines << ResourceString(IDS_TM_NO_FAULTS);
    for (const Fault& fault : m_faults)
        lines << FormatResource(IDS_TM_FAULT, fault.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            FaultCodeName(static_cast<BYTE>(fault.code)), fault.code);
    if (m_faultsNotListed > 0)
        lines << FormatResource(IDS_TM_FAULTS_NOT_LISTED, m_faultsNotListed);
    return lines.join(QLatin1Char('\n'));
}

QByteArray CSessionSummary::Json(const QDateTime& at, std::uint64_t tick) const
{
    QJsonArray faults;
    for (const Fault& fault : m_faults)
        faults.append(QJsonObject {{"time", Time(fault.at)}, {"code", static_cast<double>(fault.code)},
            {"name", FaultCodeName(static_cast<BYTE>(fault.code))}});
    const QJsonObject o {
        {"start_time", m_startedAt.isValid() ? QJsonValue(Time(m_startedAt)) : QJsonValue()},
        {"end_time", Time(at)},
        {"duration_s", Seconds(DurationMs(tick))},
        {"poll_cycles", static_cast<double>(m_cycles)},
        {"operate_s", Seconds(m_operateMs)},
        {"transmit_s", Seconds(m_transmitMs)},
        {"transmit_threshold_w", static_cast<double>(kTransmitWatts)},
        {"peak_forward_w", OrNull(m_peakForwardW)},
        {"max_swr", m_maxSwrTenths ? QJsonValue(*m_maxSwrTenths / 10.0) : QJsonValue()},
        {"max_swr_band_mhz",
            m_maxSwrBand ? QJsonValue(OperateKeys::BandLabel(*m_maxSwrBand).toDouble()) : QJsonValue()},
        {"max_temperature_c", OrNull(m_maxTemperatureC)},
        {"faults", faults},
        {"faults_not_listed", static_cast<double>(m_faultsNotListed)},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
