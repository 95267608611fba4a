#pragma once
// The Telnet framing of a serial device server (Telnet with the COM-PORT-OPTION): pure
// functions on bytes. Outgoing data has its IAC bytes doubled; incoming bytes are split into
// the serial line's data and the Telnet commands, option negotiations and subnegotiations
// that travel with it. The decoder keeps its state between calls, so that a sequence split
// across TCP segments decodes as if it had arrived in one piece.
#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>
#include <vector>

namespace Telnet {
// Commands (RFC 854).
constexpr std::uint8_t kSe = 240;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kCr = 13;

// Options.
constexpr std::uint8_t kBinary = 0;
constexpr std::uint8_t kEcho = 1;
constexpr std::uint8_t kSuppressGoAhead = 3;
constexpr std::uint8_t kComPort = 44;

// COM-PORT-OPTION commands from the client; the server answers each with the same command
// plus 100.
enum ComPortCommand : std::uint8_t {
    kSignature = 0,
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
    kNotifyLineState = 6,
    kNotifyModemState = 7,
    kFlowControlSuspend = 8,
    kFlowControlResume = 9,
    kSetLineStateMask = 10,
    kSetModemStateMask = 11,
    kPurgeData = 12,
};
constexpr std::uint8_t kServerOffset = 100;

// Values of the COM-PORT-OPTION commands the serial ports here use.
constexpr std::uint8_t kParityNone = 1;
constexpr std::uint8_t kStopBitsOne = 1;
constexpr std::uint8_t kControlNoFlowControl = 1;
constexpr std::uint8_t kControlDtrOff = 9;
constexpr std::uint8_t kControlRtsOff = 12;
// The buffer of data the server has received from the serial device and not yet sent on.
constexpr std::uint8_t kPurgeReceiveBuffer = 1;

// Each IAC doubled. Outside binary mode every CR becomes CR NUL (the receiver drops the NUL,
// so a CR LF arrives as CR LF and a lone CR as CR).
QByteArray EscapeData(QByteArrayView data, bool binary);

// IAC verb option, for example IAC WILL COM-PORT-OPTION.
QByteArray Negotiation(std::uint8_t verb, std::uint8_t option);

// IAC SB COM-PORT-OPTION command value... IAC SE, with IAC bytes of the value doubled.
QByteArray ComPortRequest(std::uint8_t command, QByteArrayView value);
QByteArray ComPortRequest(std::uint8_t command, std::uint8_t value);
// SET-BAUDRATE carries the speed as four bytes, most significant first.
QByteArray SetBaudRateRequest(std::uint32_t bitsPerSecond);

struct Event {
    enum class Kind { Negotiation, Subnegotiation, Command };
    Kind kind = Kind::Command;
    std::uint8_t verb = 0; // WILL, WONT, DO, DONT for a negotiation; the command byte otherwise
    std::uint8_t option = 0; // the option negotiated, or the first byte of a subnegotiation
    QByteArray payload; // a subnegotiation's bytes after its option, IAC IAC undone
    bool operator==(const Event&) const = default;
};

// A subnegotiation longer than this is malformed: its bytes are dropped up to its IAC SE, so
// that a hostile server cannot make the decoder hold an unbounded buffer. A SIGNATURE text (a
// station server's says who it is and why its line is busy) is the longest that is not.
constexpr qsizetype kMaxSubnegotiation = 256;

struct DecoderState {
    enum class Phase { Data, Iac, Verb, Sub, SubIac, Cr };
    Phase phase = Phase::Data;
    std::uint8_t verb = 0;
    QByteArray sub;
    bool subTooLong = false;
};

// Appends the data bytes of `input` to `data` and its Telnet events to `events`. Outside
// binary mode the NUL of a received CR NUL is dropped.
void Decode(DecoderState& state, QByteArrayView input, bool binary, QByteArray* data, std::vector<Event>* events);

// The COM-PORT-OPTION answer in a subnegotiation event: command (with the server's offset)
// and value; false for another option or an empty payload.
bool ParseComPortReply(const Event& event, std::uint8_t* command, QByteArray* value);
// The speed of a SET-BAUDRATE answer's value; false unless it has four bytes.
bool ParseBaudRate(QByteArrayView value, std::uint32_t* bitsPerSecond);
} // namespace Telnet
