#pragma once
#include "sim/SimDevice.h"
#include <QByteArray>
#include <array>

// The simulated amplifier's configuration settings: per-band antenna and tuner choices, SWR
// thresholds, the tuner switches, the power-on banner, the network settings and the two
// programmable keys. A query answers the setting's name in upper case and its value:
//   ^aeab;   ^AEAB22221111111;               one digit per band, 160 m first
//   ^abAB;   ^ABAB08 08 ... 08;              numbers, "%02u" ("%03u" for SWR) and a space
//   ^aa;     ^AA1;                           flags
//   ^bt;     ^BTQRO4000;                     texts (^pf1; answers ^PF1...)
// A set is the name and the new value ("^aeab 01 02 ...;", "^aa0;", "^btHELLO;"); it answers
// nothing, and a value out of range, a malformed one or one for the MAC address leaves the
// setting as it was.
class CSimSettings : public CSimFeature {
public:
    using Bands = std::array<unsigned, 11>;
    struct State {
        Bands antennaEnable {2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1};
        Bands antennaPreferred {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2};
        Bands atuHiSwrRetune {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0};
        Bands atuSettingsPerBin {8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 4};
        Bands swrBypass {30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 25};
        Bands swrNoMatch {25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 20};
        Bands swrRetune {18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 15};
        Bands swrStop {35, 35, 35, 35, 35, 35, 35, 35, 35, 35, 30};
        unsigned atuModeSwitch = 1;
        unsigned atuXcvrKey = 0;
        unsigned netDhcp = 1;
        unsigned netWakeOnLan = 0;
        QByteArray banner = "QRO4000";
        QByteArray netIp = "192.168.1.60";
        QByteArray netGateway = "192.168.1.1";
        QByteArray netMac = "00:1E:C0:00:04:D2";
        QByteArray netMask = "255.255.255.0";
        QByteArray netPort = "4000";
        QByteArray pf1 = "ATU TUNE";
        QByteArray pf2 = "ANTENNA";
    };
    static constexpr int kMaxText = 32;

    explicit CSimSettings(CSimDevice& device);

    State m_state;
    // A unit whose settings are locked: queries are answered, every set is ignored.
    bool m_refuseSets = false;
    // The network part answers nothing (a unit without it).
    bool m_noNetwork = false;

private:
    void AddBands(const char* name, Bands State::*field, unsigned minimum, unsigned maximum, int width);
    void AddFlag(const char* name, unsigned State::*field, bool network);
    void AddText(const char* name, QByteArray State::*field, bool (*check)(const QByteArray&), bool network);

    CSimDevice& m_device;
};
