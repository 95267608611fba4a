#pragma once
// Hamlib's amplifier protocol (the ampctld text protocol) as bytes: one command line parsed into
// a request, and a request's answer formatted in the default or the extended response form.
// Pure functions; the session carries the requests out.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace Hamlib {
// Hamlib's error numbers, negative as they travel in "RPRT n".
enum Code : int {
    Ok = 0,
    InvalidParameter = -1, // also an unknown command or level
    Timeout = -5,
    IoError = -6, // also the amplifier lost
    Rejected = -9, // another program has the amplifier to itself
    NotAvailable = -11,
    Security = -19, // a raw command this server never sends for a client
    PowerOff = -20,
};

// A longer line is not a command of this protocol: the client is answered and cut off.
constexpr qsizetype kMaxLine = 1024;

enum class Command {
    Empty, // a blank line: nothing to answer
    Unknown,
    Quit,
    DumpState,
    DumpCaps,
    GetInfo,
    GetFreq,
    SetFreq,
    GetLevel,
    SetLevel,
    GetPowerstat,
    SetPowerstat,
    Reset,
    SendCmd,
};

struct Request {
    Command command = Command::Empty;
    QByteArray name; // the long name without its "\", for the extended header
    QList<QByteArray> args;
    bool extended = false;
    char separator = '\n'; // between the items of an extended answer
    Code error = Ok; // the line is malformed (missing or extra arguments, bytes outside text)
};

// One line, without its "\n" (a "\r" before it is allowed). At most kMaxLine bytes are read.
Request Parse(QByteArrayView line);

// One item of an answer: "Label: value" in the extended form, the value alone otherwise (an
// empty label gives the value alone in both).
struct Item {
    QByteArray label;
    QByteArray value;
};

// The whole answer to `request`: its items and "RPRT code" as the protocol's form asks for. An
// unknown command (or a line that is not text) answers "RPRT -1" alone, whatever `code` says.
QByteArray Format(const Request& request, const QList<Item>& items, Code code);

// The levels the protocol names, "SWR", "PWRFORWARD"...; false for a name Hamlib does not know.
bool IsLevelName(QByteArrayView name);
} // namespace Hamlib
