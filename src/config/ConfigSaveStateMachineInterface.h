#pragma once
#include "config/ConfigMemorySource.h"
#include "model/StateMachine.h"

// The configuration save as its dialog and the command line drive it: read the amplifier's
// whole configuration memory into an image, which the file writer then takes as its source.
class IConfigSaveStateMachine : public IStateMachine, public IConfigMemorySource {
public:
    // Only when idle; true if the sequence started.
    virtual bool Start() = 0;
    // The size of the image: 0x40000.
    virtual DWORD GetTotalSize() const = 0;
    // The image byte at `address`.
    virtual const BYTE* GetData(DWORD address) const = 0;
    using IConfigMemorySource::GetData;
};
