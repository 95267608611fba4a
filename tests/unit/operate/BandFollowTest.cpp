// Band following's rules and the RadioInfo datagrams it reads, as tables.
#include "operate/follow/BandFollower.h"
#include "operate/follow/RadioInfo.h"
#include <gtest/gtest.h>
#include <vector>

namespace {
// One moment: the radio read (hz 0: not read now), then a poll cycle's readings (no band: none).
struct Step {
    qint64 hz;
    std::optional<bool> ptt;
    std::optional<int> ampBand = std::nullopt;
    std::optional<unsigned> forward = 0u;
    unsigned khz = 0;
    bool current = true;
};
struct Case {
    const char* name;
    std::vector<Step> steps;
    std::vector<int> presses;
    std::vector<QString> saidOnce; // each said exactly once
    int withdrawn = 0;
};
} // namespace

TEST(BandFollow, Rules)
{
    const QString on7 = QStringLiteral("the radio is on 7.074 MHz: ");
    const std::vector<Case> cases = {
        {"enters 40 m: pressed once per change", {{7074000, false, 5}, {7074000, false, 5}, {7080000, false, 5}}, {3},
            {on7 + "selecting the 7 MHz band"}},
        {"already on the band", {{14074000, false, 5}, {14100000, false, 5}}, {},
            {"the radio is on 14.074 MHz: the amplifier reads the 14 MHz band"}},
        {"radio PTT: waits for receive",
            {{7074000, true, 5}, {7074000, true, 5}, {0, {}, 5}, {7074000, false, 5}}, {3},
            {on7 + "waiting for receive to select the 7 MHz band (the radio transmits)"}},
        {"no forward reading, readings not current, no band, 10 W forward: waits; 9 W does not",
            {{7074000, false, 5, std::nullopt}, {0, {}, 5, 0u, 0, false}, {0, {}, std::nullopt}, {0, {}, 5, 10u},
                {0, {}, 5, 10u}, {0, {}, 5, 9u}},
            {3}, {on7 + "waiting for receive to select the 7 MHz band (the amplifier reads 10 W forward)"}},
        {"28.5 and 145 MHz: said once, nothing sent",
            {{28500000, false, 5}, {28600000, false, 3}, {145000000, false, 5}, {145000000, false, 5}}, {},
            {"the radio is on 28.5 MHz: switch the amplifier to 10 m by hand",
                "the radio is on 145 MHz, outside the amplifier's bands: nothing is sent"}},
        {"the operator's own band is not fought", {{7074000, false, 5}, {0, {}, 3}, {0, {}, 5}, {7010000, false, 5}},
            {3}, {}},
        {"each band change once, on readings taken after the key",
            {{7074000, false, 5}, {0, {}, 5}, {14074000, false, 3}, {0, {}, 3}, {0, {}, 5}, {7074000, false, 5}},
            {3, 5, 3}, {}},
        {"keying up before the key went out takes it back",
            {{7074000, false, 5}, {7074000, true}, {0, {}, 5}, {7074000, false}}, {3, 3}, {}, 1},
        {"disagreement while transmitting: warned once",
            {{7074000, false, 3, 600u, 14200}, {7074000, true, 3, 650u, 14200}, {7074000, true, 3, 600u, 7074}}, {},
            {"warning: the amplifier measures 14.2 MHz while the radio is on 7.074 MHz: check the amplifier's band"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> presses;
        std::function<void(DWORD)> pending; // the key goes out with the next cycle
        int withdrawn = 0;
        QStringList said;
        CBandFollower follower(
            [&](int band, std::function<void(DWORD)> done) {
                presses.push_back(band);
                pending = std::move(done);
            },
            [&] { ++withdrawn, pending = nullptr; }, [&said](const QString& text) { said << text; });
        for (const Step& step : c.steps) {
            if (step.hz != 0)
                follower.Radio(step.hz, step.ptt);
            if (!step.ampBand && step.hz != 0)
                continue;
            if (pending)
                std::exchange(pending, nullptr)(0);
            OperateSnapshot readings;
            readings.band = step.ampBand, readings.forwardW = step.forward, readings.frequencyKhz = step.khz;
            follower.Amplifier(readings, step.current);
        }
        EXPECT_EQ(presses, c.presses);
        EXPECT_EQ(withdrawn, c.withdrawn);
        for (const QString& text : c.saidOnce)
            EXPECT_EQ(said.count(text), 1) << said.join('\n').toStdString();
    }
    const std::pair<qint64, int> edges[] = {{1800000, 0}, {2000001, -1}, {5250000, 2}, {10150000, 4}, {10150001, -1},
        {18068000, 6}, {29700000, 9}, {54000000, 10}, {54000001, -1}};
    for (const auto& [hz, band] : edges)
        EXPECT_EQ(FollowBands::BandOfHz(hz), band) << hz;
}

TEST(BandFollow, RadioInfoDatagrams)
{
    // Split operation: the transmit VFO; a TXFreq of 0: Freq; unknown tags skipped whole. The
    // ignored kinds (unclosed, foreign, oversized, another radio's) are the end-to-end test's.
    const std::pair<QByteArray, qint64> rows[] = {{"<RadioInfo><Freq>352211</Freq><TXFreq>352511</TXFreq></RadioInfo>", 3525110},
        {"<RadioInfo><Freq>1407400</Freq><TXFreq>0</TXFreq><X><Y>1</Y></X></RadioInfo>", 14074000},
        {"<RadioInfo><Freq>7O74</Freq></RadioInfo>", 0}, {"<RadioInfo><Freq>99999999999</Freq></RadioInfo>", 0},
        {"<RadioInfo><Mode>USB</Mode></RadioInfo>", 0}, {"<radioinfo><Freq>707400</Freq></radioinfo>", 0},
        {"<RadioInfo><Freq>707400</Freq></RadioInfo><RadioInfo><Freq>1</Freq></RadioInfo>", 0}};
    for (const auto& [datagram, hz] : rows)
        EXPECT_EQ(RadioInfos::Parse(datagram).value_or(RadioInfo {}).frequencyHz, hz) << datagram.data();
}
