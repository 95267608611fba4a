#include "operate/RelayBanks.h"
#include <gtest/gtest.h>

TEST(RelayBankStep, GoesToTheNextValueTheRelaysMake)
{
    using RelayBanks::Bank;
    const struct {
        Bank bank;
        unsigned from;
        bool up;
        unsigned to;
    } rows[] = {{Bank::Capacitors, 0, true, 8}, {Bank::Capacitors, 8, true, 22}, {Bank::Capacitors, 8, false, 0},
        {Bank::Capacitors, 2000, false, 1999}, {Bank::Inductors, 8370, true, 8370} /* the top stays */};
    for (const auto& r : rows)
        EXPECT_EQ(RelayBanks::Step(r.bank, r.from, r.up), r.to) << r.from << (r.up ? " up" : " down");
}
