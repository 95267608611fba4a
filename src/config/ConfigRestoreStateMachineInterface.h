#pragma once
#include "config/ConfigReceiver.h"
#include "model/StateMachine.h"

// The configuration restore as its dialog and the command line drive it: the file reader
// fills it with records, then it writes them into the amplifier and restarts the amplifier.
class IConfigRestoreStateMachine : public IStateMachine, public IConfigReceiver {
public:
    // Only when idle; true if the sequence started.
    virtual bool Start() = 0;
    // What a start would write: the records' count and their total bytes.
    virtual DWORD RecordCount() const = 0;
    virtual DWORD TotalBytes() const = 0;
    virtual bool SerialMismatch() const = 0;

    // How far the last run got with writing: a run that stops while writing leaves the memory
    // part old, part new, and the user must be told so whatever stopped it.
    enum class WriteStage { NotBegun, Writing, Written };
    virtual WriteStage Stage() const = 0;
};
