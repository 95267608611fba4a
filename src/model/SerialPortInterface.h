#pragma once
#include "model/Types.h"
#include <QByteArray>
#include <functional>

// The one serial connection to the amplifier: a real port, the built-in simulated amplifier
// ("SIM") or anything else with the same behaviour. Failures leave a Win32-numbered error as
// LastError(). Reads never wait: they return what has already arrived, possibly nothing.
class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // Exclusive open at 230400 bit/s, 8N1, no flow control, DTR and RTS off. True at once when
    // already open. Quiet suppresses the message boxes of the opening steps.
    virtual bool Open(const QString& name, bool quiet) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual QString Name() const = 0;

    // Only 4800, 9600, 19200, 38400, 57600, 115200 and 230400 bit/s are accepted.
    virtual bool SetSpeed(DWORD bitsPerSecond) = 0;
    virtual DWORD Speed() const = 0;

    virtual bool PurgeReceive() = 0;
    virtual bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) = 0;
    // Both write every byte or fail.
    virtual bool WriteText(const QString& text) = 0;
    virtual bool WriteBytes(const BYTE* data, DWORD count) = 0;

    virtual DWORD LastError() const = 0;

    // Called, through the event loop and never from inside an I/O call, when bytes arrive.
    virtual void SetNotify(std::function<void()> notify) = 0;

    // Called, through the event loop and never from inside an I/O call, when the open port has
    // failed for good: the device behind it vanished (a USB adapter unplugged, the far end of a
    // pseudo-terminal closed) or the connection to it dropped. Once per failure, with
    // LastError() set; the port's owner then closes it and reports the loss. From the moment
    // the port finds out (even inside a read or write, before the call arrives) IsOpen()
    // answers false and every operation fails quietly with that error, so that whoever meets
    // the failure first can tell it from a refused command; closed by its owner, it goes on
    // failing with that error until it is opened again. A port that cannot tell (nothing
    // to watch) never calls it, and its failures show on the next read or write.
    virtual void SetFailureNotify(std::function<void()> failed) { (void)failed; }

    // After a failed Open: how the user can fix it, when the port knows (for example which
    // group may open serial ports, or which process holds the port). Empty otherwise.
    virtual QString ErrorAdvice() const { return {}; }

    // A line shared with other programs (a station server holds the amplifier): the server's
    // "HOST:PORT", empty for a line of this program's own; and why the line is busy, when
    // another program has it to itself (no answers come meanwhile), empty when free.
    virtual QString SharedThrough() const { return {}; }
    virtual QString BusyReason() const { return {}; }
    // Called, through the event loop, when either of those changes.
    virtual void SetSharingNotify(std::function<void()> changed) { (void)changed; }

    // Waits for the line to settle after a speed command (a real port sleeps; others need not).
    virtual void Settle(DWORD ms) = 0;
};

// The seven speeds the amplifier supports, fastest first.
constexpr DWORD kSupportedSpeeds[] = {230400, 115200, 57600, 38400, 19200, 9600, 4800};
bool IsSupportedSpeed(DWORD bitsPerSecond);
// Speed detection order: 4800 goes to 230400, 57600 to 38400, every other speed to half of it.
DWORD NextDetectionSpeed(DWORD bitsPerSecond);
