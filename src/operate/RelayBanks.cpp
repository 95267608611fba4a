#include "operate/RelayBanks.h"

namespace {
constexpr unsigned kCapacitorsPf[8] = {8, 22, 39, 82, 180, 330, 680, 1360};
constexpr unsigned kInductorsNh[7] = {50, 110, 230, 480, 1000, 2100, 4400};
} // namespace

namespace RelayBanks {
int BitCount(Bank bank)
{
    return bank == Bank::Capacitors ? 8 : 7;
}

unsigned Element(Bank bank, int bit)
{
    if (bit < 0 || bit >= BitCount(bank))
        return 0;
    return bank == Bank::Capacitors ? kCapacitorsPf[bit] : kInductorsNh[bit];
}

BYTE MaximumByte(Bank bank)
{
    return static_cast<BYTE>((1u << BitCount(bank)) - 1);
}

unsigned Value(Bank bank, BYTE relays)
{
    unsigned sum = 0;
    for (int bit = 0; bit < BitCount(bank); ++bit)
        if (relays & (1u << bit))
            sum += Element(bank, bit);
    return sum;
}

unsigned MaximumValue(Bank bank)
{
    return Value(bank, MaximumByte(bank));
}

BYTE Greedy(Bank bank, unsigned value)
{
    BYTE relays = 0;
    for (int bit = BitCount(bank) - 1; bit >= 0; --bit) {
        if (value >= Element(bank, bit)) {
            relays |= static_cast<BYTE>(1u << bit);
            value -= Element(bank, bit);
        }
    }
    return relays;
}

unsigned Step(Bank bank, unsigned current, bool up)
{
    // The capacitor values do not grow with the byte (330 pF is less than 8 + 22 + 39 + 82 +
    // 180), so the step walks the bytes rather than the values.
    unsigned relays = Greedy(bank, current);
    if (up) {
        while (relays < MaximumByte(bank) && Value(bank, static_cast<BYTE>(relays)) <= current)
            ++relays;
    } else {
        while (relays > 0 && Value(bank, static_cast<BYTE>(relays)) >= current)
            --relays;
    }
    return Value(bank, static_cast<BYTE>(relays));
}
} // namespace RelayBanks
