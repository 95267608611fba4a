#pragma once
#include "model/Types.h"

// A firmware revision as shown everywhere: 0 "??.??", 9999 " N/A ", 65534 "Loading",
// otherwise "%02u.%02u" (123 is 01.23).
QString RevisionText(WORD revision);

// The time prefix of every output-window line: "%02u:%02u:%02u ".
QString OutputLinePrefix(int hour, int minute, int second);

// The program's title base: "QRO4000 Utility Revision 1.0.0.0".
QString TitleBaseText();
// The four parts of the program's version, most significant first.
void ProgramVersion(unsigned parts[4]);
