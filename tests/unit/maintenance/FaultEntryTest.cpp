// Fault log entries decoded from their 32 bytes: every detail rule, the name table's edges and
// the line format. Each row is an entry given by its non-zero fields.
#include "maintenance/FaultEntry.h"
#include <gtest/gtest.h>
#include <initializer_list>

namespace {
struct Put {
    int offset;
    DWORD value;
    int width; // 1, 2 or 4 bytes, little-endian
};

CFaultEntry Entry(BYTE code, std::initializer_list<Put> fields)
{
    BYTE bytes[32] = {code, 0, 0x24, 0x03, 0x05, 0x14, 0x07, 0x09};
    for (const Put& p : fields)
        for (int i = 0; i < p.width; ++i)
            bytes[p.offset + i] = static_cast<BYTE>(p.value >> (8 * i));
    return DecodeFaultEntry(bytes);
}
} // namespace

TEST(FaultEntry, DetailReadsEveryRule)
{
    const struct {
        const char* name;
        CFaultEntry entry;
        const char* detail;
    } rows[] = {
        {"PowerOnShowsCountAndVersion", Entry(0x00, {{20, 153, 2}, {22, 12, 2}}), " 12 times firmware version 01.53"},
        {"PowerOnShowsZeros", Entry(0x00, {}), " 0 times firmware version 00.00"},
        {"WatchdogWithNoAddressesIsEmpty", Entry(0x10, {}), ""},
        {"WatchdogListsItsAddressesResetFirst",
            Entry(0x10, {{8, 0x9D001234, 4}, {12, 0x1C, 4}, {16, 0x9D00ABCD, 4}, {20, 0xBFC00000, 4}}),
            " reset addr BFC00000 exception cause 1C BadVAddr 9D001234 exception addr 9D00ABCD"},
        {"WatchdogSkipsZeroAddresses", Entry(0x10, {{16, 0x80, 4}}), " exception addr 80"},
        {"HighSwrAloneTruncatesItsSecondDigit", Entry(0x91, {{16, 256, 2}}), " swr 2.5"},
        {"EveryMeasurementInItsOrder",
            Entry(0x20,
                {{8, 14200, 2}, {10, 45, 2}, {12, 1500, 2}, {14, 240, 2}, {16, 199, 2}, {18, 38, 1}, {19, 52, 1},
                    {20, 611, 2}, {22, 7, 2}}),
            " freq 14200 inp 45W fwd 1500W refl 240W swr 1.9 PA 38A 52C adc 611 var 7"},
        {"LowGainShowsItsPowerRatioEvenWhenZero", Entry(0x61, {}), " power ratio 0"},
        {"HighGainShowsItsPowerRatio", Entry(0xF0, {{22, 13, 2}}), " power ratio 13"},
        {"SupplyFaultShowsMillivolts", Entry(0x84, {{22, 11800, 2}}), " millivolts 11800"},
        {"SupplyFaultWithoutMillivoltsShowsNone", Entry(0x80, {}), ""},
        {"LpfVmonIsNoSupplyFault", Entry(0x85, {{22, 5, 2}}), " var 5"},
        {"DissipationIsShownEvenWhenZero", Entry(0xB0, {}), " pwr dissipated 0W"},
        {"BypassSwrIsASecondSwr", Entry(0xC1, {{16, 300, 2}, {22, 1234, 2}}), " swr 3.0 swr 12.3"},
        {"BypassSwrOfZeroIsLeftOut", Entry(0xC1, {}), ""},
        {"UnknownCodeUsesTheGeneralRules", Entry(0x33, {{22, 2, 2}}), " var 2"}};
    for (const auto& row : rows)
        EXPECT_EQ(row.entry.Detail().toStdString(), row.detail) << row.name;
}

TEST(FaultEntry, NamesCoverTheTableAndMarkUnknownCodes)
{
    EXPECT_EQ(FaultLog::FaultName(0x00), "ON");
    EXPECT_EQ(FaultLog::FaultName(0xFF), "EMPTY");
    EXPECT_EQ(FaultLog::FaultName(0x62), "?");
    EXPECT_TRUE(Entry(0xFF, {}).IsEmpty());
    EXPECT_FALSE(Entry(0x62, {}).IsEmpty());
}

TEST(FaultEntry, LineHasSlotTimeStampNameAndDetail)
{
    // Time stamp bytes are printed as hexadecimal digits: the amplifier keeps them in BCD.
    EXPECT_EQ(Entry(0x91, {{16, 256, 2}}).Line(5), "  5 24-03-05T14:07:09 91 - HIGH SWR  swr 2.5\r\n");
    EXPECT_EQ(Entry(0x10, {}).Line(1023), "1023 24-03-05T14:07:09 10 - WDT \r\n");
    EXPECT_EQ(Entry(0x62, {}).NameField(), "62 - ?");
}

TEST(FaultEntry, FieldsNameEveryValueForScripts)
{
    const auto fields = Entry(0xB0, {{8, 7100, 2}, {22, 900, 2}}).Fields();
    ASSERT_EQ(fields.size(), 9u);
    EXPECT_EQ(fields.front().name, "frequency");
    EXPECT_EQ(fields.front().value, 7100);
    EXPECT_EQ(fields.back().name, "powerDissipatedW");
    EXPECT_EQ(fields.back().value, 900);
    const auto on = Entry(0x00, {{20, 153, 2}, {22, 12, 2}}).Fields();
    ASSERT_EQ(on.size(), 2u);
    EXPECT_EQ(on[0].name, "count");
    EXPECT_EQ(on[1].value, 153);
}
