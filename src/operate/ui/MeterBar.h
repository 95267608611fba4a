#pragma once
#include <QWidget>

// A bar meter beside a reading: green up to the caution mark, amber to the danger mark, red
// beyond, with an optional peak marker. It repaints only when what it shows has moved by at
// least a pixel, so a page that updates it every poll cycle costs nothing while the reading
// stands still.
class CMeterBar : public QWidget {
    Q_OBJECT
public:
    CMeterBar(double minimum, double maximum, double caution, double danger, QWidget* parent = nullptr);

    void SetValue(double value);
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
    int m_valuePixels = 0;
    int m_peakPixels = -1;
    int m_updates = 0;
};
