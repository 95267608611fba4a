#pragma once
#include <QChartView>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

// Forward power, SWR and temperature over the last 10 minutes, drawn from the readings the
// Operate page receives. Readings are gathered into one point every 2 s (the highest forward
// power and SWR of the span, its last temperature), so the chart redraws at most that often
// however fast the amplifier is polled, and not at all while no reading comes; a peak is never
// lost between points.
class CHistoryChart : public QChartView {
    Q_OBJECT
public:
    static constexpr qint64 kSpanMs = 10 * 60 * 1000;
    static constexpr qint64 kPointMs = 2000;

    explicit CHistoryChart(QWidget* parent = nullptr);

    // A poll cycle's reading at `atMs` (milliseconds since the epoch). `swr` below 1 means no
    // reading (no RF): the SWR line skips it.
    void AddReading(qint64 atMs, double forward, double swr, double temperature);
    // Points drawn so far (forward power line).
    int PointCount() const;
    QLineSeries* ForwardSeries() const { return m_forward; }
    QLineSeries* SwrSeries() const { return m_swr; }
    QLineSeries* TemperatureSeries() const { return m_temperature; }

private:
    void Flush();
    static void Append(QLineSeries* series, qint64 atMs, double value, qint64 cutoffMs);

    QLineSeries* m_forward;
    QLineSeries* m_swr;
    QLineSeries* m_temperature;
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
