#pragma once
// The amplifier's configuration memory (a 256 KiB serial EEPROM) is read and written in blocks
// of at most 64 bytes:
//   read   "^er" + address (8 hex) + count (2 hex) + check (2 hex) + ";"
//          answer: "^ER" + address + count + data (2 hex per byte) + check + ";"
//   write  "^ew" + address + count + data + check + ";"
//          answer: "^EW" + address + count + check + ";" (16 characters)
// The check byte makes the sum of the address bytes, the count, the data bytes and the check
// byte 0 modulo 256. Answers echo the command name in upper case; they are compared without
// regard to case.
#include "model/Types.h"
#include <QByteArray>

namespace Eeprom {
constexpr DWORD kSize = 0x40000;
constexpr DWORD kMaxBlock = 64;

// Length of the next block of a range: at most 64 bytes, never crossing a 256-byte boundary
// (a block that would cross one ends at it), and never 0 while bytes remain.
DWORD NextBlockLength(DWORD address, DWORD remaining);

BYTE CheckByte(DWORD address, DWORD count, const BYTE* data = nullptr);
QByteArray BuildReadCommand(DWORD address, DWORD count);
QByteArray BuildWriteCommand(DWORD address, DWORD count, const BYTE* data);

// Checks a read answer against its command and copies its data (at most `maxCount` bytes).
// Answers the number of data bytes, or -1 when the answer is not acceptable.
int ParseReadAnswer(const QByteArray& command, const QByteArray& answer, DWORD maxCount, BYTE* data);
// Checks a write acknowledgement: exactly 16 characters, the command's first 13, a valid check.
bool IsWriteAcknowledged(const QByteArray& command, const QByteArray& answer);

// A complete answer starts at its last "^": what came before it is the tail of an earlier
// answer that the clearing of the port cut short or whose ";" was damaged on the line. Empty
// when no "^" came at all (a fragment of an earlier answer).
QByteArray AnswerStart(const QByteArray& received);
// A sound read answer or acknowledgement (its own check holds) to another command than
// `command`: a late answer to an earlier try or an earlier block. It says nothing about the
// block asked for now, and is neither taken for it nor counted as damage.
bool IsAnswerToAnotherCommand(const QByteArray& command, const QByteArray& answer);
// Whether the answer echoes the command's name, address and count (its first 13 characters).
bool Echoes(const QByteArray& command, const QByteArray& answer);

// The six regions that may be written: 0x10..0x7F, 0x80..0xFF, 0x100..0x2FF, 0x300..0xEFF,
// 0xF00..0xFFF and 0x1000..0x37FFF. 0x0..0xF and 0x38000 up are never written.
bool IsWritableBlock(DWORD address, DWORD count);
}  // namespace Eeprom
