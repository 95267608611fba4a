#pragma once
// The amplifier's bands as the ATU memory erase names them: band numbers 0 to 10 are 160, 80,
// 60, 40, 30, 20, 17, 15, 12, 10 and 6 metres; 11 stands for all bands.
#include <QString>

namespace AtuBands {
constexpr int kCount = 11;
constexpr int kAll = 11;

// "160" ... "6" for 0 to 10; empty otherwise.
QString Metres(int band);
// "the 40 m band", or "all bands" for 11.
QString Description(int band);
constexpr int kUnknown = -1;
constexpr int kAmbiguous = -2;
// A band number from "0" ... "10", "160" ... "6" (metres, also with an "m" after them) or
// "all". kUnknown when the text names no band; kAmbiguous for "6" and "10", which are both a
// band number and metres: an erase must not guess (band number 6 is 17 m), so those are
// written "6m", "10m", or as the metres of the band number meant.
int Parse(const QString& text);
} // namespace AtuBands
