#pragma once
// What the simulated amplifier makes of the firmware its boot loader programmed, and the
// demonstration images made for it.
//
// A real unit starts its application after a reset only when the flash holds one; an erased
// flash (all 0xFF) leaves it in its boot loader. The simulated one does the same, and it learns
// the revision it reports from a revision marker in the image: the text
// "QRO4000 firmware revision " followed by four decimal digits (0154 for 01.54), at offset
// 0x100 of the flash (address 0x1D000100). An image without the marker leaves the revision as
// it was (or as the revision-after-load setting says).
#include "model/Types.h"
#include <QByteArray>

namespace SimFirmwareImage {
constexpr DWORD kMarkerOffset = 0x100;
constexpr char kMarkerText[] = "QRO4000 firmware revision ";

// True when the flash holds anything but erased bytes.
bool HoldsApplication(const QByteArray& flash);
// The revision the marker gives (1 ... 9999), or 0 when there is no valid marker.
WORD MarkedRevision(const QByteArray& flash);
// An Intel HEX image for the firmware window: 4 KiB of program-like bytes with the marker for
// `revision`, and the end record. Lines end in CR LF.
QByteArray MakeHexImage(WORD revision);
} // namespace SimFirmwareImage
