#pragma once
#include "model/Types.h"
#include "operate/OperateSnapshot.h"
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace FollowBands {
// The amplifier's bands by frequency, the widest edges of the three regions: band 0 (1.8 MHz)
// to 10 (50 MHz), or -1 outside every band.
int BandOfHz(qint64 hz);
// "7.074", "28.5", "145": a frequency in MHz as a user reads it.
QString Megahertz(qint64 hz);
// Forward power from which the amplifier counts as transmitting.
constexpr unsigned kTransmitWatts = 10;
} // namespace FollowBands

// Band following's rules, for the station server and the desktop program alike: the band key
// is pressed only when the radio's frequency enters another of the amplifier's bands, never
// while the radio (PTT) or the amplifier (10 W forward or more) transmits (it waits for
// receive), at most once per band change, and only once the amplifier's own band reading
// differs. A frequency outside every band, or on the 28 MHz band whose key is not known, is
// reported once and nothing is sent. Fed by a radio source and by every poll cycle's readings;
// presses through `press` (whose `done` reports whether the key went out), takes a press that
// has not gone out yet back through `withdraw` when the radio keys up or moves on meanwhile,
// and says what it does through `report`.
class CBandFollower {
public:
    using Press = std::function<void(int band, std::function<void(DWORD)> done)>;
    using Withdraw = std::function<void()>;
    using Report = std::function<void(const QString& text)>;
    CBandFollower(Press press, Withdraw withdraw, Report report);

    // What the source read: the radio's (transmit) frequency in Hz and its PTT when known.
    void Radio(qint64 hz, std::optional<bool> ptt);
    // The source lost the radio: nothing is pressed until it reads the radio again.
    void RadioLost();
    // The amplifier after a poll cycle; `current` false when the readings are not current.
    void Amplifier(const OperateSnapshot& readings, bool current);


private:
    void Decide();
    void Warn();
    void Say(int what, const QString& text);
    // Takes back a press still on its way: this band change may press once more.
    void TakeBack();

    Press m_press;
    Withdraw m_withdraw;
    Report m_report;
    std::optional<qint64> m_hz;
    std::optional<bool> m_ptt;
    std::optional<int> m_radioBand;
    OperateSnapshot m_amp;
    bool m_ampCurrent = false;
    bool m_done = false; // this band change is dealt with (pressed, reported or already there)
    int m_said = 0; // the kind of text last said for this band change (its string number)
    std::optional<int> m_warnedFor; // the amplifier's measured band last warned about
    bool m_inFlight = false; // pressed, its `done` not called yet
    // The cycle that sends a key reads the band before it: its readings are a band behind.
    bool m_skipReadings = false;
    std::optional<int> m_pressed; // the band whose key went out, until a reading shows its effect
    // A press's `done` may come after the follower is gone, or after it was taken back.
    std::shared_ptr<int> m_pressToken = std::make_shared<int>(0);
};
