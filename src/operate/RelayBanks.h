#pragma once
// The tuner's two relay banks. Each relay adds one element; the amplifier reports and accepts a
// bank as one byte, one bit per relay.
#include "model/Types.h"

namespace RelayBanks {
enum class Bank { Capacitors, Inductors };

// Bits in use: 8 capacitors, 7 inductors (bit 7 of an inductor byte switches nothing).
int BitCount(Bank bank);
// What relay `bit` adds: pF for capacitors, nH for inductors.
unsigned Element(Bank bank, int bit);
// The largest byte of the bank: 255, 127.
BYTE MaximumByte(Bank bank);
// The sum over the set bits: 0 to 2701 pF, 0 to 8370 nH.
unsigned Value(Bank bank, BYTE relays);
unsigned MaximumValue(Bank bank);
// The relays for a typed value, greedy from the largest element down: 1400 pF gives
// 1360 + 39.
BYTE Greedy(Bank bank, unsigned value);
// One step of the spin control from the current value: the byte of the value, moved one at a
// time until its value is below (down) or above (up) the current value, within the bank.
// Answers the value of the byte reached.
unsigned Step(Bank bank, unsigned current, bool up);
} // namespace RelayBanks
