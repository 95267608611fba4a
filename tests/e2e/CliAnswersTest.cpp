// One run of qro4000 on its built-in simulated amplifier per row: the exit code, and what the
// user reads (standard output and error together) or must never read. The rules behind them are
// the cores' (a silent amplifier: the fault matrix's "silent" column; a damaged fault index:
// FaultTable; a boot loader that is not reset: Maintenance).
#include "CliProcess.h"
#include "RowName.h"

namespace {
using ::operator<<;
struct CliRow {
    const char* name;
    QStringList args; // after "-p SIM"
    const char* sim; // further options of the simulated amplifier
    int exitCode;
    QStringList says;
    QStringList never = {};
};

class CliAnswer : public CliTest, public ::testing::WithParamInterface<CliRow> { };
} // namespace

TEST_P(CliAnswer, ExitsAndSays)
{
    const CliRun run = Run(QStringList {"-p", "SIM"} + GetParam().args, GetParam().sim);
    const QString all = run.out + run.err;
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << all.toStdString();
    for (const QString& text : GetParam().says)
        EXPECT_TRUE(all.contains(text)) << text.toStdString() << " not in:\n" << all.toStdString();
    for (const QString& text : GetParam().never)
        EXPECT_FALSE(all.contains(text)) << text.toStdString() << " in:\n" << all.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Commands, CliAnswer,
    ::testing::Values(CliRow {"BandIsSelectedAndReadBack", {"band", "7"}, "", 0, {"BAND 7 MHz"}},
        CliRow {"Band28IsRefusedWithTheReason", {"band", "28"}, "", 1,
            {"does not know the amplifier's key for the 28 MHz band", "Error code 0xE200008A"}},
        CliRow {"PowerOnSwitchesOnAnAmplifierThatWasOff", {"power", "on"}, ",power-off", 0, {"FWD "}},
        CliRow {"MonitorAsJsonOfAnAmplifierSwitchedOff", {"--json", "monitor", "--count", "1"}, ",power-off", 0,
            {"{\"power\":false,\"time\":\""}},
        // "^tm;" goes unanswered: the temperature is not written from an older cycle.
        CliRow {"MonitorWritesAnUnansweredReadingAsNull", {"--json", "monitor", "--count", "1"}, ",fall-silent=21", 0,
            {"\"temperatureC\":null", "\"frequencyKHz\":14200"}},
        CliRow {"MonitorLineMarksAnUnansweredReading", {"monitor", "--count", "1"}, ",fall-silent=21", 0,
            {" V  - C  BAND 14 MHz"}},
        CliRow {"RelaysAreSetNearestBelowTheValues", {"relays", "--cap", "2000", "--ind", "1000"}, "", 0,
            {"Capacitors 0xBD (1999 pF)  Inductors 0x10 (1000 nH)"}},
        CliRow {"BannerThatWouldEndItsCommandIsRefusedWithNothingSent", {"settings", "set", "banner=X;^ec"}, "", 2,
            {"banner cannot be set: \";\" and \"^\" cannot be used", "Nothing was sent to the amplifier."},
            {"Attempting to contact"}},
        CliRow {"EraseAtuTakesABandInMetres",
            {"--yes", "--trace", "erase-atu", "--band", "40", "--antenna", "2", "--no-backup"}, "", 0,
            {"Send \"^em032;^rv;\"", "ATU memories of the 40 m band, antenna 2 erased"}},
        CliRow {"EraseAtuRefusesAnAntennaThree", {"--yes", "--trace", "erase-atu", "--band", "7", "--antenna", "3"}, "",
            2, {}, {"^em"}},
        CliRow {"EraseAtuNeedsABand", {"--yes", "--trace", "erase-atu", "--antenna", "1"}, "", 2, {}, {"^em"}},
        CliRow {"ClockUtcNeedsSet", {"clock", "--utc"}, "", 2, {}}),
    [](const auto& info) { return std::string(info.param.name); });
