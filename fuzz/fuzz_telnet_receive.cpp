// Feeds arbitrary bytes, as a serial device server would send them, to the receive side of the
// Telnet framing: the decoder, cut into pieces where the input says, and the option
// negotiation it drives. The pieces must decode as the whole does, the data can never be
// longer than the input, and every answer is one negotiation of three bytes.
#include "link/ports/TelnetCodec.h"
#include "link/ports/TelnetOptions.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const bool binary = data[0] & 1;
    const std::size_t step = 1 + data[1] % 17;
    const QByteArrayView input(reinterpret_cast<const char*>(data + 2), static_cast<qsizetype>(size - 2));

    Telnet::DecoderState whole;
    QByteArray wholeData;
    std::vector<Telnet::Event> wholeEvents;
    Telnet::Decode(whole, input, binary, &wholeData, &wholeEvents);

    Telnet::DecoderState pieces;
    QByteArray piecesData;
    std::vector<Telnet::Event> piecesEvents;
    for (qsizetype at = 0; at < input.size(); at += static_cast<qsizetype>(step))
        Telnet::Decode(pieces, input.sliced(at, std::min<qsizetype>(static_cast<qsizetype>(step), input.size() - at)),
            binary, &piecesData, &piecesEvents);

    if (wholeData != piecesData || wholeEvents != piecesEvents || wholeData.size() > input.size())
        std::abort();

    CTelnetOptions options(
        {Telnet::kBinary, Telnet::kSuppressGoAhead, Telnet::kComPort}, {Telnet::kBinary, Telnet::kSuppressGoAhead});
    (void)options.EnableLocal(Telnet::kComPort);
    for (const Telnet::Event& event : wholeEvents) {
        if (event.payload.size() > Telnet::kMaxSubnegotiation)
            std::abort();
        std::uint8_t command = 0;
        QByteArray value;
        std::uint32_t speed = 0;
        if (Telnet::ParseComPortReply(event, &command, &value))
            (void)Telnet::ParseBaudRate(value, &speed);
        if (event.kind != Telnet::Event::Kind::Negotiation)
            continue;
        const QByteArray reply = options.Receive(event.verb, event.option);
        if (!reply.isEmpty() && reply.size() != 3)
            std::abort();
    }
    return 0;
}
