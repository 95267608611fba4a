#pragma once
#include "sim/SimDevice.h"
#include <QDateTime>

// The amplifier's clock: "^cc;" answers "^CCYY-MM-DDTHH:MM:SS;", "^ccYY-MM-DDTHH:MM:SS;" sets it
// (no answer; a text that is no valid date and time is ignored). It runs on the device's event
// host, so in virtual time it advances with the virtual clock. A new unit's clock has drifted:
// it starts 95 s behind the computer's universal time. A clock that was never set reads
// 00-00-00T00:00:00 and stands still.
class CSimClock : public CSimFeature {
public:
    static constexpr qint64 kInitialDriftSeconds = -95;

    explicit CSimClock(CSimDevice& device);

    // The time the clock shows now (invalid while it is unset).
    QDateTime Now() const;
    void Set(const QDateTime& time);
    void SetUnset();
    QByteArray Answer() const;
    int SetCount() const { return m_setCount; }

private:
    QByteArray OnCommand(const QByteArray& command);

    CSimDevice& m_device;
    QDateTime m_base;
    std::uint64_t m_baseMs = 0;
    int m_setCount = 0;
};
