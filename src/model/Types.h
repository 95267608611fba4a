#pragma once
// Shared value types of the application model. The amplifier's protocol and the stored
// settings are defined in terms of bytes, 16-bit words and 32-bit numbers; these names keep
// the code close to that vocabulary.
#include <QString>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using CString = QString;

// A calendar time as the amplifier's clock and the computer's clock exchange it.
struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
    bool operator==(const SYSTEMTIME&) const = default;
};

// Firmware status of the amplifier in contact.
enum FIRMWARESTATUS : int {
    FirmwareNone = 0,        // no device in contact
    FirmwareBootLoader = 2,  // boot loader waiting for firmware
    FirmwareApplication = 3  // application firmware running
};

// The serial number value when none has been read.
constexpr WORD kNoSerialNumber = 0xFFFF;

// Special firmware revision numbers.
constexpr WORD kRevisionUnknown = 0;
constexpr WORD kRevisionNotAvailable = 9999;
constexpr WORD kRevisionLoading = 65534;
