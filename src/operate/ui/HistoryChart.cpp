#include "operate/ui/HistoryChart.h"
#include "model/StringTable.h"
#include "operate/OperateStringIds.h"
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

namespace {
// Scales for a 1.5 kW amplifier; an axis grows when a reading goes beyond it.
constexpr double kPowerTop = 1500;
constexpr double kSwrTop = 3.0;
constexpr double kTemperatureTop = 100;

QLineSeries* MakeSeries(QChart* chart, unsigned nameId, const QColor& colour)
{
    auto* series = new QLineSeries(chart);
    series->setName(ResourceString(nameId));
    QPen pen(colour);
    pen.setWidthF(1.5);
    series->setPen(pen);
    chart->addSeries(series);
    return series;
}

QValueAxis* MakeAxis(
    QChart* chart, double low, double high, const char* format, const QColor& colour, Qt::Alignment side)
{
    auto* axis = new QValueAxis(chart);
    axis->setRange(low, high);
    axis->setLabelFormat(QLatin1String(format));
    axis->setLabelsColor(colour);
    axis->setTickCount(4);
    chart->addAxis(axis, side);
    return axis;
}
} // namespace

CHistoryChart::CHistoryChart(QWidget* parent)
    : QChartView(parent)
{
    auto* chart = new QChart;
    chart->setTitle(ResourceString(IDS_OP_GROUP_HISTORY));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    // Animations would redraw for a second after every point; rounded corners and a shadow
    // cost a blend over the whole chart at every redraw.
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    setChart(chart);
    setRenderHint(QPainter::Antialiasing, false);
    setMinimumHeight(180);

    const QColor power(0x1F, 0x6F, 0xC0);
    const QColor swr(0xC0, 0x40, 0x20);
    const QColor temperature(0x30, 0x90, 0x30);
    m_forward = MakeSeries(chart, IDS_OP_SERIES_FORWARD, power);
    m_swr = MakeSeries(chart, IDS_OP_SERIES_SWR, swr);
    m_temperature = MakeSeries(chart, IDS_OP_SERIES_TEMPERATURE, temperature);

    m_time = new QDateTimeAxis(chart);
    m_time->setFormat(QStringLiteral("HH:mm"));
    m_time->setTickCount(6);
    const QDateTime now = QDateTime::currentDateTime();
    m_time->setRange(now.addMSecs(-kSpanMs), now);
    chart->addAxis(m_time, Qt::AlignBottom);
    m_powerAxis = MakeAxis(chart, 0, kPowerTop, "%d", power, Qt::AlignLeft);
    m_swrAxis = MakeAxis(chart, 1.0, kSwrTop, "%.1f", swr, Qt::AlignRight);
    m_temperatureAxis = MakeAxis(chart, 0, kTemperatureTop, "%d", temperature, Qt::AlignRight);
    for (auto [series, axis] : {std::pair<QLineSeries*, QValueAxis*> {m_forward, m_powerAxis}, {m_swr, m_swrAxis},
             {m_temperature, m_temperatureAxis}}) {
        series->attachAxis(m_time);
        series->attachAxis(axis);
    }
}

int CHistoryChart::PointCount() const
{
    return static_cast<int>(m_forward->count());
}

void CHistoryChart::AddReading(qint64 atMs, double forward, double swr, double temperature)
{
    if (m_gathering && atMs - m_pointAt >= kPointMs)
        Flush();
    if (!m_gathering) {
        m_gathering = true;
        m_pointAt = atMs;
        m_pointForward = forward;
        m_pointSwr = swr;
    } else {
        m_pointForward = std::max(m_pointForward, forward);
        m_pointSwr = std::max(m_pointSwr, swr);
    }
    m_pointTemperature = temperature;
}

void CHistoryChart::Append(QLineSeries* series, qint64 atMs, double value, qint64 cutoffMs)
{
    qsizetype old = 0;
    const qsizetype count = series->count();
    while (old < count && series->at(old).x() < static_cast<double>(cutoffMs))
        ++old;
    if (old > 0)
        series->removePoints(0, old);
    series->append(static_cast<double>(atMs), value);
}

void CHistoryChart::Flush()
{
    m_gathering = false;
    const qint64 cutoff = m_pointAt - kSpanMs;
    Append(m_forward, m_pointAt, m_pointForward, cutoff);
    if (m_pointSwr >= 1.0)
        Append(m_swr, m_pointAt, m_pointSwr, cutoff);
    Append(m_temperature, m_pointAt, m_pointTemperature, cutoff);
    if (m_pointForward > m_powerAxis->max())
        m_powerAxis->setMax(m_pointForward);
    if (m_pointSwr > m_swrAxis->max())
        m_swrAxis->setMax(m_pointSwr);
    if (m_pointTemperature > m_temperatureAxis->max())
        m_temperatureAxis->setMax(m_pointTemperature);
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(cutoff), QDateTime::fromMSecsSinceEpoch(m_pointAt));
}
