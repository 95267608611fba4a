#pragma once
#include "model/Types.h"

// Where the configuration file writer takes the memory bytes from (the save sequence's image).
class IConfigMemorySource {
public:
    // `count` bytes read from the amplifier at `address`.
    virtual const BYTE* GetData(DWORD address, DWORD count) const = 0;

protected:
    ~IConfigMemorySource() = default;
};
