#include "operate/RelayBanks.h"
#include <gtest/gtest.h>

namespace {
using RelayBanks::Bank;

struct StepCase {
    const char* name;
    Bank bank;
    unsigned from;
    bool up;
    unsigned to;
    friend void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }
};

class RelayBankStep : public ::testing::TestWithParam<StepCase> { };

TEST_P(RelayBankStep, GoesToTheNextValueTheRelaysMake)
{
    EXPECT_EQ(RelayBanks::Step(GetParam().bank, GetParam().from, GetParam().up), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Steps, RelayBankStep,
    ::testing::Values(StepCase {"UpFromNothing", Bank::Capacitors, 0, true, 8},
        StepCase {"UpFromTheSmallest", Bank::Capacitors, 8, true, 22},
        StepCase {"DownToNothing", Bank::Capacitors, 8, false, 0},
        StepCase {"DownFromATypedValue", Bank::Capacitors, 2000, false, 1999},
        StepCase {"UpAtTheTopStays", Bank::Inductors, 8370, true, 8370}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return std::string(info.param.name); });
} // namespace
