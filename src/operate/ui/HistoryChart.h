#pragma once
#include <QChartView>
#include <vector>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

// Forward power, SWR and temperature over the last 10 minutes, drawn from the readings the
// Operate page receives. Readings are gathered into one point every 2 s (the highest forward
// power and SWR of the span, its last temperature), so the chart redraws at most that often
// however fast the amplifier is polled, and not at all while no reading comes; a peak is never
// lost between points. Where there is no data (a reading not live, a disconnection, time on
// another page) the lines break instead of joining across the gap: each line is a run of
// segments, one series each, under one legend entry.
class CHistoryChart : public QChartView {
    Q_OBJECT
public:
    static constexpr qint64 kSpanMs = 10 * 60 * 1000;
    static constexpr qint64 kPointMs = 2000;

    explicit CHistoryChart(QWidget* parent = nullptr);

    // A poll cycle's reading at `atMs` (milliseconds since the epoch). A value that is NaN is
    // no reading, as is an `swr` below 1 (no RF): that line breaks there.
    void AddReading(qint64 atMs, double forward, double swr, double temperature);
    // No data from here on: every line ends, and the next reading starts new segments.
    void Break();
    // Points drawn so far (forward power line, all its segments).
    int PointCount() const;
    // The segments of each line, oldest first.
    const std::vector<QLineSeries*>& ForwardSeries() const { return m_forward.parts; }
    const std::vector<QLineSeries*>& SwrSeries() const { return m_swr.parts; }
    const std::vector<QLineSeries*>& TemperatureSeries() const { return m_temperature.parts; }

private:
    struct Line {
        QString name;
        QColor colour;
        QValueAxis* axis = nullptr;
        std::vector<QLineSeries*> parts;
        // The last segment takes the next point; false after a break.
        bool open = false;
    };
    QLineSeries* MakeSegment(const Line& line, bool inLegend);
    void Flush();
    void Append(Line& line, double value, qint64 cutoffMs);

    Line m_forward;
    Line m_swr;
    Line m_temperature;
    QDateTimeAxis* m_time;
    QValueAxis* m_powerAxis;
    QValueAxis* m_swrAxis;
    QValueAxis* m_temperatureAxis;

    // The second being gathered.
    bool m_gathering = false;
    qint64 m_pointAt = 0;
    double m_pointForward = 0;
    double m_pointSwr = 0;
    double m_pointTemperature = 0;
};
