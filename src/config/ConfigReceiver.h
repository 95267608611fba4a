#pragma once
#include "model/Types.h"

// What the configuration file reader hands its records to: the restore sequence, or an image
// when a file is only checked or compared.
class IConfigReceiver {
public:
    // A "MEM2", "MEM3" or "MEM4" line: `count` bytes (at most 64) for [address, address + count).
    virtual void StoreBlock(DWORD address, DWORD count, const BYTE* data) = 0;
    // An old one-byte "MEM" line.
    virtual void StoreByte(WORD address, BYTE value) = 0;
    // The file's serial number line: whether it names another amplifier than the one in contact.
    virtual void SetSerialMismatch(bool mismatch) = 0;

protected:
    ~IConfigReceiver() = default;
};
