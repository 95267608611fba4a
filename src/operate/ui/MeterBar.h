#pragma once
#include <QWidget>
#include <vector>

// A bar meter beside a reading: green up to the caution mark, amber to the danger mark, red
// beyond, with scale marks below and an optional peak marker; a bar that is not live shows no
// reading at all. It repaints only when what it shows has moved by at
// least a pixel, so a page that updates it every poll cycle costs nothing while the reading
// stands still.
class CMeterBar : public QWidget {
    Q_OBJECT
public:
    CMeterBar(double minimum, double maximum, double caution, double danger, QWidget* parent = nullptr);

    void SetValue(double value);
    // Not live: the bar is drawn empty (the reading is not current), whatever its value.
    void SetLive(bool live);
    bool IsLive() const { return m_live; }
    // Moves the caution and danger marks (the SWR scale follows the amplifier's thresholds).
    void SetZones(double caution, double danger);
    double Caution() const { return m_caution; }
    double Danger() const { return m_danger; }
    // Where the scale marks are, in the bar's units: the minimum, the maximum and three between.
    std::vector<double> ScaleMarks() const;
    // A peak marker at `peak`; below the minimum, none.
    void SetPeak(double peak);
    double Value() const { return m_value; }
    double Peak() const { return m_peak; }
    double Minimum() const { return m_minimum; }
    double Maximum() const { return m_maximum; }
    // How many times the bar has asked to be repainted (the page's tests count them).
    int UpdateCount() const { return m_updates; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Pixels(double value) const;
    void Repaint();

    double m_minimum;
    double m_maximum;
    double m_caution;
    double m_danger;
    double m_value;
    double m_peak;
    bool m_live = true;
    int m_valuePixels = 0;
    int m_peakPixels = -1;
    int m_updates = 0;
};
