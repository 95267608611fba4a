#pragma once
#include "operate/RelayBanks.h"
#include <QSpinBox>

// The capacitance or inductance field with its arrows. An arrow step moves to the next value
// the relays can make (below or above the one shown); the relays are asked for once the
// stepping ends (the button or key released), not at every step, so a held arrow does not
// flood the amplifier.
class CRelaySpinBox : public QSpinBox {
    Q_OBJECT
public:
    CRelaySpinBox(RelayBanks::Bank bank, QWidget* parent = nullptr);
    RelayBanks::Bank Bank() const { return m_bank; }
    void stepBy(int steps) override;

signals:
    // The arrows were used and let go of.
    void StepFinished();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void FinishStepping();

    RelayBanks::Bank m_bank;
    bool m_stepped = false;
};
