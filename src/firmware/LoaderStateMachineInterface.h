#pragma once
#include "model/StateMachine.h"
#include <QString>

class IStatusSink;

// What the loader dialog and the command line see of the firmware loader.
class ILoaderStateMachine : public IStateMachine {
public:
    // The product name, used in the loader's messages.
    virtual QString GetDeviceName() const = 0;
    // The firmware file held by the image (the one being or last sent).
    virtual QString GetFileName() const = 0;
    // The most retries any one packet needed, and all retries of the load.
    virtual DWORD HighestRetries() const = 0;
    virtual DWORD TotalRetries() const = 0;
    // Compares the revision the amplifier reports with the one in the file's name: 0 when they
    // agree, 0xE2000046 when they do not. Quiet leaves out the success line. A name without a
    // revision cannot be compared: the revision the amplifier now runs is reported, and 0.
    virtual DWORD VerifyRevision(bool quiet) = 0;
    // Only when idle. Loads and checks the model's chosen firmware file, then starts the load.
    // The notify sink gets every message of the load as a status line and, while verbose
    // logging is on, its trace lines. False when busy or when the file cannot be used; the
    // amplifier has then not been touched and the completion event carries the reason.
    virtual bool StartLoad(IStatusSink* notify) = 0;
    // True while the boot loader is taking packets: stopping now leaves it deaf to everything
    // until its power is cycled.
    virtual bool IsDownloadOpen() const = 0;
};
