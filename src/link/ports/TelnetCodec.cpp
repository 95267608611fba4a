#include "link/ports/TelnetCodec.h"

namespace Telnet {
namespace {
using Phase = DecoderState::Phase;

void AppendSub(DecoderState& state, char byte)
{
    if (state.sub.size() >= kMaxSubnegotiation)
        state.subTooLong = true;
    else
        state.sub.append(byte);
}

void EndSub(DecoderState& state, std::vector<Event>* events)
{
    if (!state.subTooLong && !state.sub.isEmpty())
        events->push_back(
            {Event::Kind::Subnegotiation, kSb, static_cast<std::uint8_t>(state.sub[0]), state.sub.mid(1)});
    state.sub.clear();
    state.subTooLong = false;
}
} // namespace

QByteArray EscapeData(QByteArrayView data, bool binary)
{
    QByteArray out;
    out.reserve(data.size() + data.size() / 16 + 1);
    for (char c : data) {
        out.append(c);
        if (static_cast<std::uint8_t>(c) == kIac)
            out.append(c);
        else if (!binary && static_cast<std::uint8_t>(c) == kCr)
            out.append('\0');
    }
    return out;
}

QByteArray Negotiation(std::uint8_t verb, std::uint8_t option)
{
    const char bytes[] = {static_cast<char>(kIac), static_cast<char>(verb), static_cast<char>(option)};
    return QByteArray(bytes, 3);
}

QByteArray ComPortRequest(std::uint8_t command, QByteArrayView value)
{
    QByteArray out;
    out.append(static_cast<char>(kIac));
    out.append(static_cast<char>(kSb));
    out.append(static_cast<char>(kComPort));
    out.append(static_cast<char>(command));
    // Inside a subnegotiation an IAC of the value is doubled as it is in data.
    out.append(EscapeData(value, true));
    out.append(static_cast<char>(kIac));
    out.append(static_cast<char>(kSe));
    return out;
}

QByteArray ComPortRequest(std::uint8_t command, std::uint8_t value)
{
    const char byte = static_cast<char>(value);
    return ComPortRequest(command, QByteArrayView(&byte, 1));
}

QByteArray SetBaudRateRequest(std::uint32_t bitsPerSecond)
{
    const char value[] = {static_cast<char>(bitsPerSecond >> 24), static_cast<char>(bitsPerSecond >> 16),
        static_cast<char>(bitsPerSecond >> 8), static_cast<char>(bitsPerSecond)};
    return ComPortRequest(kSetBaudRate, QByteArrayView(value, 4));
}

void Decode(DecoderState& state, QByteArrayView input, bool binary, QByteArray* data, std::vector<Event>* events)
{
    qsizetype i = 0;
    while (i < input.size()) {
        const char c = input[i];
        const auto b = static_cast<std::uint8_t>(c);
        ++i;
        switch (state.phase) {
        case Phase::Cr:
            state.phase = Phase::Data;
            if (b == 0)
                break; // CR NUL stands for a bare CR
            [[fallthrough]];
        case Phase::Data:
            if (b == kIac) {
                state.phase = Phase::Iac;
            } else {
                data->append(c);
                if (b == kCr && !binary)
                    state.phase = Phase::Cr;
            }
            break;
        case Phase::Iac:
            if (b == kIac) {
                data->append(c);
                state.phase = Phase::Data;
            } else if (b >= kWill && b <= kDont) {
                state.verb = b;
                state.phase = Phase::Verb;
            } else if (b == kSb) {
                state.sub.clear();
                state.subTooLong = false;
                state.phase = Phase::Sub;
            } else {
                events->push_back({Event::Kind::Command, b, 0, {}});
                state.phase = Phase::Data;
            }
            break;
        case Phase::Verb:
            events->push_back({Event::Kind::Negotiation, state.verb, b, {}});
            state.phase = Phase::Data;
            break;
        case Phase::Sub:
            if (b == kIac)
                state.phase = Phase::SubIac;
            else
                AppendSub(state, c);
            break;
        case Phase::SubIac:
            if (b == kIac) {
                AppendSub(state, c);
                state.phase = Phase::Sub;
            } else {
                // IAC SE ends it. Any other command means the server left out its IAC SE: the
                // subnegotiation ends all the same and the byte is read as the command it is.
                EndSub(state, events);
                state.phase = Phase::Iac;
                if (b != kSe)
                    --i;
                else
                    state.phase = Phase::Data;
            }
            break;
        }
    }
}

bool ParseComPortReply(const Event& event, std::uint8_t* command, QByteArray* value)
{
    if (event.kind != Event::Kind::Subnegotiation || event.option != kComPort || event.payload.isEmpty())
        return false;
    *command = static_cast<std::uint8_t>(event.payload[0]);
    *value = event.payload.mid(1);
    return true;
}

bool ParseBaudRate(QByteArrayView value, std::uint32_t* bitsPerSecond)
{
    if (value.size() != 4)
        return false;
    *bitsPerSecond = 0;
    for (char c : value)
        *bitsPerSecond = (*bitsPerSecond << 8) | static_cast<std::uint8_t>(c);
    return true;
}
} // namespace Telnet
