#include "operate/ui/MeterBar.h"
#include <QPainter>
#include <algorithm>

namespace {
const QColor kGreen(0x2E, 0xA0, 0x43);
const QColor kAmber(0xE0, 0xA0, 0x10);
const QColor kRed(0xD0, 0x30, 0x30);
} // namespace

CMeterBar::CMeterBar(double minimum, double maximum, double caution, double danger, QWidget* parent)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_caution(caution)
    , m_danger(danger)
    , m_value(minimum)
    , m_peak(minimum - 1)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Nothing shows through: Qt need not paint the page behind the bar first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CMeterBar::sizeHint() const
{
    return {160, 16};
}

QSize CMeterBar::minimumSizeHint() const
{
    return {60, 16};
}

int CMeterBar::Pixels(double value) const
{
    const int inner = std::max(0, width() - 2);
    const double share = (std::clamp(value, m_minimum, m_maximum) - m_minimum) / (m_maximum - m_minimum);
    return static_cast<int>(share * inner + 0.5);
}

void CMeterBar::SetValue(double value)
{
    m_value = value;
    Repaint();
}

void CMeterBar::SetLive(bool live)
{
    if (m_live == live)
        return;
    m_live = live;
    ++m_updates;
    update();
}

void CMeterBar::SetZones(double caution, double danger)
{
    if (m_caution == caution && m_danger == danger)
        return;
    m_caution = caution;
    m_danger = danger;
    ++m_updates;
    update();
}

std::vector<double> CMeterBar::ScaleMarks() const
{
    constexpr int kSteps = 4;
    std::vector<double> marks;
    for (int step = 0; step <= kSteps; ++step)
        marks.push_back(m_minimum + (m_maximum - m_minimum) * step / kSteps);
    return marks;
}

void CMeterBar::SetPeak(double peak)
{
    m_peak = peak;
    Repaint();
}

void CMeterBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_valuePixels = Pixels(m_value);
    m_peakPixels = m_peak < m_minimum ? -1 : Pixels(m_peak);
}

void CMeterBar::Repaint()
{
    const int value = Pixels(m_value);
    const int peak = m_peak < m_minimum ? -1 : Pixels(m_peak);
    if (value == m_valuePixels && peak == m_peakPixels)
        return;
    m_valuePixels = value;
    m_peakPixels = peak;
    ++m_updates;
    update();
}

void CMeterBar::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const bool enabled = isEnabled();
    painter.fillRect(rect(), palette().color(enabled ? QPalette::Base : QPalette::Window));
    const int top = 1;
    // The lowest pixels carry the scale marks.
    constexpr int kMarkHeight = 3;
    const int height = this->height() - 2 - kMarkHeight;
    // The bar in its zones: each zone's colour only as far as the reading reaches.
    const double zones[3][2] = {{m_minimum, m_caution}, {m_caution, m_danger}, {m_danger, m_maximum}};
    const QColor colours[3] = {kGreen, kAmber, kRed};
    for (int zone = 0; zone < 3 && m_live; ++zone) {
        const int from = Pixels(zones[zone][0]);
        const int to = std::min(Pixels(zones[zone][1]), m_valuePixels);
        if (to > from)
            painter.fillRect(1 + from, top, to - from, height, enabled ? colours[zone] : colours[zone].lighter(160));
    }
    painter.setPen(palette().color(QPalette::Mid));
    for (double mark : ScaleMarks()) {
        const int x = std::clamp(1 + Pixels(mark), 1, width() - 2);
        painter.drawLine(x, top + height, x, this->height() - 2);
    }
    if (m_live && m_peakPixels >= 0)
        painter.fillRect(std::max(1, m_peakPixels - 1), top, 2, height, palette().color(QPalette::WindowText));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
}
