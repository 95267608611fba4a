#include "operate/ui/RelaySpinBox.h"
#include <QKeyEvent>

CRelaySpinBox::CRelaySpinBox(RelayBanks::Bank bank, QWidget* parent)
    : QSpinBox(parent)
    , m_bank(bank)
{
    setRange(0, static_cast<int>(RelayBanks::MaximumValue(bank)));
    setAccelerated(false);
    setKeyboardTracking(false);
    setAlignment(Qt::AlignRight);
}

void CRelaySpinBox::stepBy(int steps)
{
    const bool up = steps > 0;
    unsigned value = static_cast<unsigned>(this->value());
    for (int i = 0; i < (up ? steps : -steps); ++i)
        value = RelayBanks::Step(m_bank, value, up);
    setValue(static_cast<int>(value));
    m_stepped = true;
}

void CRelaySpinBox::FinishStepping()
{
    if (!m_stepped)
        return;
    m_stepped = false;
    emit StepFinished();
}

void CRelaySpinBox::mouseReleaseEvent(QMouseEvent* event)
{
    QSpinBox::mouseReleaseEvent(event);
    FinishStepping();
}

void CRelaySpinBox::keyReleaseEvent(QKeyEvent* event)
{
    QSpinBox::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        FinishStepping();
}

void CRelaySpinBox::wheelEvent(QWheelEvent* event)
{
    // A wheel turn has no release: each notch is a step of its own.
    QSpinBox::wheelEvent(event);
    FinishStepping();
}
