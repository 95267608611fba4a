#include "operate/follow/BandFollower.h"
#include "model/ErrorText.h"
#include "model/StringTable.h"
#include "operate/OperateKeys.h"
#include "operate/follow/FollowStringIds.h"

namespace {
struct Range {
    qint64 low, high; // Hz, both included
};
constexpr Range kBands[OperateKeys::kBandCount] = {{1800000, 2000000}, {3500000, 4000000}, {5250000, 5450000},
    {7000000, 7300000}, {10100000, 10150000}, {14000000, 14350000}, {18068000, 18168000}, {21000000, 21450000},
    {24890000, 24990000}, {28000000, 29700000}, {50000000, 54000000}};
} // namespace

int FollowBands::BandOfHz(qint64 hz)
{
    for (int band = 0; band < OperateKeys::kBandCount; ++band)
        if (hz >= kBands[band].low && hz <= kBands[band].high)
            return band;
    return -1;
}

QString FollowBands::Megahertz(qint64 hz)
{
    QString text = QString::number(static_cast<double>(hz) / 1e6, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

CBandFollower::CBandFollower(Press press, Withdraw withdraw, Report report)
    : m_press(std::move(press))
    , m_withdraw(std::move(withdraw))
    , m_report(std::move(report))
{
}

void CBandFollower::Radio(qint64 hz, std::optional<bool> ptt)
{
    const int band = FollowBands::BandOfHz(hz);
    m_hz = hz;
    m_ptt = ptt;
    if (m_inFlight && (m_radioBand != band || ptt.value_or(false)))
        TakeBack();
    if (m_radioBand != band) {
        // The radio entered another band (or was read for the first time): a new change.
        m_radioBand = band;
        m_done = false;
        m_said = 0;
        m_warnedFor.reset();
    }
    Decide();
    Warn();
}

void CBandFollower::RadioLost()
{
    m_hz.reset();
    m_ptt.reset();
}

void CBandFollower::Amplifier(const OperateSnapshot& readings, bool current)
{
    m_amp = readings;
    m_ampCurrent = current && !m_skipReadings;
    m_skipReadings = false;
    if (m_pressed && m_ampCurrent && readings.band) {
        const QString pressed = OperateKeys::BandLabel(*m_pressed);
        Say(IDS_FOLLOW_ON_BAND,
            *readings.band == *m_pressed
                ? FormatResource(IDS_FOLLOW_ON_BAND, pressed)
                : FormatResource(IDS_FOLLOW_DID_NOT_MOVE, OperateKeys::BandLabel(*readings.band), pressed));
        m_pressed.reset();
    }
    if (m_inFlight && readings.forwardW.value_or(0) >= FollowBands::kTransmitWatts)
        TakeBack();
    Decide();
    Warn();
}

void CBandFollower::TakeBack()
{
    m_inFlight = false;
    m_pressToken = std::make_shared<int>(0);
    m_done = false;
    if (m_withdraw)
        m_withdraw();
}

void CBandFollower::Say(int what, const QString& text)
{
    // Once per band change and kind: a wait is said once, not with every forward reading.
    if (what == m_said)
        return;
    m_said = what;
    if (m_report)
        m_report(text);
}

void CBandFollower::Decide()
{
    if (m_done || !m_hz || !m_radioBand)
        return;
    const int band = *m_radioBand;
    const QString mhz = FollowBands::Megahertz(*m_hz);
    if (band < 0 || OperateKeys::BandCommand(static_cast<DWORD>(band)).isEmpty()) {
        // Never a guess at a key: the operator switches by hand.
        Say(IDS_FOLLOW_OUTSIDE, band < 0 ? FormatResource(IDS_FOLLOW_OUTSIDE, mhz) : FormatResource(IDS_FOLLOW_BY_HAND, mhz));
        m_done = true;
        return;
    }
    // Only on what the amplifier reads now: an old band reading could be a band ago.
    if (!m_ampCurrent || !m_amp.band)
        return;
    const QString target = OperateKeys::BandLabel(band);
    if (*m_amp.band == band) {
        m_done = true; // already there (by hand, or before the radio got here)
        Say(IDS_FOLLOW_ALREADY, FormatResource(IDS_FOLLOW_ALREADY, mhz, target));
        return;
    }
    if (m_ptt.value_or(false)) {
        Say(IDS_FOLLOW_WAIT_PTT, FormatResource(IDS_FOLLOW_WAIT_PTT, mhz, target));
        return;
    }
    // Without a forward reading the amplifier may be transmitting: wait for one.
    if (!m_amp.forwardW)
        return;
    if (*m_amp.forwardW >= FollowBands::kTransmitWatts) {
        Say(IDS_FOLLOW_WAIT_FORWARD, FormatResource(IDS_FOLLOW_WAIT_FORWARD, mhz, target, *m_amp.forwardW));
        return;
    }
    m_done = true;
    m_inFlight = true;
    Say(IDS_FOLLOW_SELECTING, FormatResource(IDS_FOLLOW_SELECTING, mhz, target));
    const std::weak_ptr<int> token = m_pressToken;
    m_press(band, [this, token, band, target](DWORD result) {
        if (token.expired())
            return; // taken back, or the follower is gone
        m_inFlight = false;
        m_skipReadings = result == 0;
        if (result == 0)
            m_pressed = band;
        if (result != 0 && m_report)
            m_report(FormatResource(IDS_FOLLOW_NOT_SELECTED, target, ErrorCodeLine(result)));
    });
}

void CBandFollower::Warn()
{
    // While transmitting, the amplifier measures the carrier: on another band than the radio's,
    // the band switch is wrong for what goes through it.
    if (!m_hz || !m_radioBand || *m_radioBand < 0 || !m_ampCurrent || !m_amp.frequencyKhz || !m_amp.forwardW)
        return;
    if (*m_amp.frequencyKhz == 0 || *m_amp.forwardW < FollowBands::kTransmitWatts)
        return;
    const int measured = FollowBands::BandOfHz(static_cast<qint64>(*m_amp.frequencyKhz) * 1000);
    if (measured == *m_radioBand) {
        m_warnedFor.reset();
        return;
    }
    if (m_warnedFor == measured)
        return;
    m_warnedFor = measured;
    if (m_report)
        m_report(FormatResource(IDS_FOLLOW_DISAGREE,
            FollowBands::Megahertz(static_cast<qint64>(*m_amp.frequencyKhz) * 1000), FollowBands::Megahertz(*m_hz)));
}
