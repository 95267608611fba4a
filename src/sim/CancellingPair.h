#pragma once
// The fault an 8-bit check byte cannot see: two damaged characters whose changes cancel out.
#include <QByteArray>
#include <random>

namespace SimDamage {
// Adds 1 to one data byte of a read answer ("^ER" + address + count + data + check + ";") and
// takes 1 from another, each by changing one hex digit, so that the check byte still holds.
// False (and the answer unchanged) when it has no such pair: no data, or too few bytes whose
// low digit can move.
bool CancellingPair(QByteArray& answer, std::mt19937& random);
} // namespace SimDamage
