#include "operate/ui/HistoryChart.h"
#include "model/StringTable.h"
#include "operate/OperateStringIds.h"
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace {
// Scales for a 1.5 kW amplifier; an axis grows when a reading goes beyond it.
constexpr double kPowerTop = 1500;
constexpr double kSwrTop = 3.0;
constexpr double kTemperatureTop = 100;

// The larger of two readings, where NaN is none.
double Higher(double a, double b)
{
    if (std::isnan(a))
        return b;
    if (std::isnan(b))
        return a;
    return std::max(a, b);
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
    m_time = new QDateTimeAxis(chart);
    m_time->setFormat(QStringLiteral("HH:mm"));
    m_time->setTickCount(6);
    m_time->setTitleText(ResourceString(IDS_OP_AXIS_TIME));
    const QDateTime now = QDateTime::currentDateTime();
    m_time->setRange(now.addMSecs(-kSpanMs), now);
    chart->addAxis(m_time, Qt::AlignBottom);
    m_powerAxis = MakeAxis(chart, 0, kPowerTop, "%d", power, Qt::AlignLeft);
    m_swrAxis = MakeAxis(chart, 1.0, kSwrTop, "%.1f", swr, Qt::AlignRight);
    m_temperatureAxis = MakeAxis(chart, 0, kTemperatureTop, "%d", temperature, Qt::AlignRight);
    for (auto [line, nameId, colour, axis] : {std::tuple {&m_forward, IDS_OP_SERIES_FORWARD, power, m_powerAxis},
             std::tuple {&m_swr, IDS_OP_SERIES_SWR, swr, m_swrAxis},
             std::tuple {&m_temperature, IDS_OP_SERIES_TEMPERATURE, temperature, m_temperatureAxis}}) {
        line->name = ResourceString(nameId);
        line->colour = colour;
        line->axis = axis;
        // Each axis says what it measures, in the line's colour.
        axis->setTitleText(line->name);
        axis->setTitleBrush(colour);
        // The first segment carries the legend entry, and stays even when empty.
        line->parts.push_back(MakeSegment(*line, true));
    }
}

QLineSeries* CHistoryChart::MakeSegment(const Line& line, bool inLegend)
{
    auto* series = new QLineSeries(chart());
    series->setName(line.name);
    QPen pen(line.colour);
    pen.setWidthF(1.5);
    series->setPen(pen);
    chart()->addSeries(series);
    series->attachAxis(m_time);
    series->attachAxis(line.axis);
    if (!inLegend)
        for (QLegendMarker* marker : chart()->legend()->markers(series))
            marker->setVisible(false);
    return series;
}

int CHistoryChart::PointCount() const
{
    int count = 0;
    for (const QLineSeries* part : m_forward.parts)
        count += static_cast<int>(part->count());
    return count;
}

void CHistoryChart::AddReading(qint64 atMs, double forward, double swr, double temperature)
{
    if (swr < 1.0)
        swr = std::numeric_limits<double>::quiet_NaN();
    if (m_gathering && atMs - m_pointAt >= kPointMs)
        Flush();
    if (!m_gathering) {
        m_gathering = true;
        m_pointAt = atMs;
        m_pointForward = forward;
        m_pointSwr = swr;
    } else {
        m_pointForward = Higher(m_pointForward, forward);
        m_pointSwr = Higher(m_pointSwr, swr);
    }
    m_pointTemperature = temperature;
}

void CHistoryChart::Break()
{
    if (m_gathering)
        Flush();
    for (Line* line : {&m_forward, &m_swr, &m_temperature})
        line->open = false;
}

void CHistoryChart::Append(Line& line, double value, qint64 cutoffMs)
{
    // Points older than the span go, and with them segments left empty (the legend's stays).
    for (QLineSeries* part : line.parts) {
        qsizetype old = 0;
        const qsizetype count = part->count();
        while (old < count && part->at(old).x() < static_cast<double>(cutoffMs))
            ++old;
        if (old > 0)
            part->removePoints(0, old);
    }
    while (line.parts.size() > 1 && line.parts[1]->count() == 0 && !(line.open && line.parts.size() == 2)) {
        chart()->removeSeries(line.parts[1]);
        delete line.parts[1];
        line.parts.erase(line.parts.begin() + 1);
    }
    if (std::isnan(value)) {
        line.open = false;
        return;
    }
    if (!line.open) {
        line.open = true;
        if (line.parts.back()->count() != 0)
            line.parts.push_back(MakeSegment(line, false));
    }
    line.parts.back()->append(static_cast<double>(m_pointAt), value);
    if (value > line.axis->max())
        line.axis->setMax(value);
}

void CHistoryChart::Flush()
{
    m_gathering = false;
    const qint64 cutoff = m_pointAt - kSpanMs;
    Append(m_forward, m_pointForward, cutoff);
    Append(m_swr, m_pointSwr, cutoff);
    Append(m_temperature, m_pointTemperature, cutoff);
    m_time->setRange(QDateTime::fromMSecsSinceEpoch(cutoff), QDateTime::fromMSecsSinceEpoch(m_pointAt));
}
