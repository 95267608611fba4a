#pragma once
// Result codes: 0 is success, 1223 means cancelled by the user, a positive value is a platform
// error number (Win32 numbering on every platform) and the program's own codes are 0xE2000nnn
// (errors) and 0xA2000nnn (warnings).
#include <cstdint>

namespace Result {
constexpr std::uint32_t Success = 0;
constexpr std::uint32_t Cancelled = 1223;

// Platform error numbers the program produces (Win32 numbering).
constexpr std::uint32_t FileNotFound = 2;
constexpr std::uint32_t PathNotFound = 3;
constexpr std::uint32_t AccessDenied = 5;
constexpr std::uint32_t InvalidHandle = 6;
constexpr std::uint32_t NotEnoughMemory = 8;
constexpr std::uint32_t InvalidData = 13;
constexpr std::uint32_t NoMoreFiles = 18;
constexpr std::uint32_t WriteFault = 29;
constexpr std::uint32_t ReadFault = 30;
constexpr std::uint32_t GenFailure = 31;
constexpr std::uint32_t SharingViolation = 32;
constexpr std::uint32_t FileExists = 80;
constexpr std::uint32_t InvalidParameter = 87;
constexpr std::uint32_t DiskFull = 112;
constexpr std::uint32_t InvalidName = 123;
constexpr std::uint32_t FileNameTooLong = 206;
constexpr std::uint32_t AlreadyExists = 183;
constexpr std::uint32_t IoPending = 997;
constexpr std::uint32_t DeviceNotConnected = 1167;
constexpr std::uint32_t Timeout = 1460;
constexpr std::uint32_t InvalidArgumentHResult = 0x80070057;

// The program's own codes.
constexpr std::uint32_t UnexpectedHexCharacter = 0xE200000B;
constexpr std::uint32_t InvalidEepromAddress = 0xE200000C;
constexpr std::uint32_t NoRevisionResponse = 0xE200000D;
constexpr std::uint32_t PortNameMissing = 0xE200000F;
constexpr std::uint32_t HexNoColon = 0xE2000020;
constexpr std::uint32_t HexBadRecordType = 0xE2000021;
constexpr std::uint32_t HexChecksum = 0xE2000022;
constexpr std::uint32_t HexNoEndRecord = 0xE2000023;
constexpr std::uint32_t ConfigIncomplete = 0xE2000030;
constexpr std::uint32_t ConfigCorrupt = 0xE2000031;
constexpr std::uint32_t SerialMismatch = 0xE2000032;
constexpr std::uint32_t NoDEcho = 0xE2000043;
constexpr std::uint32_t RetryLimit = 0xE2000044;
constexpr std::uint32_t NoResponseAfterReset = 0xE2000045;
constexpr std::uint32_t RevisionVerifyFailed = 0xE2000046;
constexpr std::uint32_t NoResyncResponse = 0xE2000048;
constexpr std::uint32_t NoSemicolonResponse = 0xE2000049;
constexpr std::uint32_t NoPacketResponse = 0xE200004B;
constexpr std::uint32_t UnexpectedDevice = 0xE200004E;
constexpr std::uint32_t NoReadBlockResponse = 0xE2000050;
constexpr std::uint32_t NoWriteBlockResponse = 0xE2000051;
constexpr std::uint32_t NoUnlockResponse = 0xE2000204;
constexpr std::uint32_t UnlockRefused = 0xE2000205;
constexpr std::uint32_t NoEraseResponse = 0xE2000206;
constexpr std::uint32_t EraseRefused = 0xE2000207;
constexpr std::uint32_t NoBootVersionResponse = 0xE2000208;
constexpr std::uint32_t NoAntennaPreferredResponse = 0xE20004B1;
constexpr std::uint32_t NoSerialNumberResponse = 0xE20004C2;
constexpr std::uint32_t NoAntennaEnableResponse = 0xE20004C8;
constexpr std::uint32_t NoAtuModeSwitchResponse = 0xE20004C9;
constexpr std::uint32_t NoAtuHiSwrRetuneResponse = 0xE2000500;
constexpr std::uint32_t NoAtuXcvrKeyResponse = 0xE2000501;
constexpr std::uint32_t NoSwrThresholdResponse = 0xE200050F;
constexpr std::uint32_t NoAtuSettingsPerBinResponse = 0xE2000510;

constexpr std::uint32_t NoClockResponse = 0xE2000512;
constexpr std::uint32_t NoIdentifyResponse = 0xE2000524;

// Codes the program adds, by feature (their texts: resources/MessageTable.inc).
constexpr std::uint32_t NotRegularFile = 0xE2000060;
constexpr std::uint32_t FileTooLarge = 0xE2000061;
constexpr std::uint32_t ReadingsDisagree = 0xE200007B;
constexpr std::uint32_t ReadBackDiffers = 0xE200007C;

// File server download.
constexpr std::uint32_t NotEveryFileCopied = 0xE20000B0;
constexpr std::uint32_t ServerSentTooMuch = 0xE20000B1;
constexpr std::uint32_t CopyNotPutInPlace = 0xE20000B2;
constexpr std::uint32_t FileSizeDiffers = 0xE20000BE;
constexpr std::uint32_t ReleaseNotesDamaged = 0xE20000BF;

// Remote stations: a serial device server reached over TCP.
constexpr std::uint32_t RemoteRefused = 0xE20000C0;
constexpr std::uint32_t RemoteConnectionLost = 0xE20000C1;
constexpr std::uint32_t RemoteTimeout = 0xE20000C2;
constexpr std::uint32_t RemoteHostNotFound = 0xE20000C3;
constexpr std::uint32_t RemoteNoPortControl = 0xE20000C4;
constexpr std::uint32_t RemoteBadName = 0xE20000C5;
constexpr std::uint32_t RemoteUnreachable = 0xE20000C6;
constexpr std::uint32_t RemoteSpeedRefused = 0xE20000C7;
constexpr std::uint32_t RemoteClosedAtOnce = 0xE20000C8;
constexpr std::uint32_t RemoteFlooded = 0xE20000CF;

// Edit configuration.
constexpr std::uint32_t SettingRefused = 0xE2000090;
constexpr std::uint32_t SettingNotTaken = 0xE2000091;
constexpr std::uint32_t ProfileInvalid = 0xE2000092;

// Device link.
constexpr std::uint32_t PortLost = 0xE2000070;

// Maintenance: fault table, clock, reset and ATU memory erase.
constexpr std::uint32_t FaultLogIndexOutOfRange = 0xE20000A0;
constexpr std::uint32_t BootLoaderNothingErased = 0xE20000A1;
constexpr std::uint32_t BootLoaderNoFaultLog = 0xE20000A2;
constexpr std::uint32_t BootLoaderNoClock = 0xE20000A3;
constexpr std::uint32_t BootLoaderAfterReset = 0xE20000A4;

// Operate.
constexpr std::uint32_t AmplifierOff = 0xE2000088;
constexpr std::uint32_t RequestNotTaken = 0xE2000089;
constexpr std::uint32_t CommandNotKnown = 0xE200008A;

// Data safety: configuration files that would write what no save wrote, firmware images with
// nothing to load.
constexpr std::uint32_t ConfigRecordRepeated = 0xE2000075;
constexpr std::uint32_t ConfigRecordOutside = 0xE2000076;
constexpr std::uint32_t NoFirmwareData = 0xE2000077;

// Every non-zero code is a failure; cancelled counts as one too.
constexpr bool Failed(std::uint32_t code)
{
    return code != 0;
}

// The failure code a result counts as: platform numbers become 0x8007xxxx.
constexpr std::uint32_t AsFailureCode(std::uint32_t code)
{
    if (code != 0 && (code & 0x80000000u) == 0)
        return (code & 0xFFFFu) | 0x80070000u;
    return code;
}
} // namespace Result
