#pragma once
#include "sim/SimDevice.h"

// The simulated amplifier's front panel: the operate queries, the front-panel keys, the relay
// settings and the meters. The readings follow an operator who transmits for 20 s of every
// 30: forward power follows the drive while operating, SWR and temperature drift, and the
// fan-cooled heat sink cools down in standby. Switched off, the amplifier answers "^on;" and
// nothing of this.
class CSimOperate : public CSimFeature {
public:
    explicit CSimOperate(CSimDevice& device);

    struct Readings {
        WORD input = 0; // W
        WORD forward = 0; // W
        WORD reflected = 0; // W
        WORD dissipated = 0; // W
        WORD swr = 0; // tenths
        WORD swrBypass = 0; // tenths
        WORD current = 0; // A
        DWORD millivolts = 0;
        WORD temperature = 0; // degrees C
        WORD frequency = 0; // kHz
    };
    // The meters as they read now (the heat sink's temperature moves on to now).
    Readings Read();
    QByteArray DisplayText();
    // Whether the station transmits through the amplifier now (see the transmit option).
    bool Transmitting();

    // The front panel's state; tests set it directly.
    int m_band = 5; // 14 MHz
    BYTE m_antenna = 1;
    bool m_operate = true;
    wchar_t m_atuMode = L'I';
    bool m_tuned = true;
    BYTE m_capacitors = 0x24;
    BYTE m_inductors = 0x13;
    wchar_t m_side = L'T';
    // The key last pressed is named on the display for a while.
    QByteArray m_keyMessage;
    DWORD m_keyMessageAt = 0;

private:
    QByteArray Handle(const QByteArray& command);
    QByteArray Query(const QByteArray& name);
    void Key(bool hold, int number);
    void SetRelays(BYTE& relays, const QByteArray& digits);
    double Drive(double seconds);
    bool Transmitting(double seconds) const;

    CSimDevice& m_device;
    double m_temperature = 31.0;
    DWORD m_temperatureAt = 0;
};
