// The Telnet framing of serial device servers on byte vectors: IAC doubling, a stream cut
// anywhere, malformed subnegotiations, the negotiation with ser2net's own opening (captured
// on the wire), the COM-PORT-OPTION requests and answers, and the names of remote ports.
#include "link/ports/TelnetCodec.h"
#include "RowName.h"
#include "model/RemotePortName.h"
#include "link/ports/TelnetOptions.h"
#include <gtest/gtest.h>

using namespace Telnet;

namespace {
QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

struct Decoded {
    QByteArray data;
    std::vector<Event> events;
};

Decoded DecodeCutAt(const QByteArray& input, qsizetype cut, bool binary)
{
    DecoderState state;
    Decoded out;
    Decode(state, QByteArrayView(input).first(cut), binary, &out.data, &out.events);
    Decode(state, QByteArrayView(input).sliced(cut), binary, &out.data, &out.events);
    return out;
}
} // namespace

struct EscapeCase {
    const char* name;
    QByteArray data;
    bool binary;
    QByteArray wire;
};

class TelnetEscape : public ::testing::TestWithParam<EscapeCase> { };

TEST_P(TelnetEscape, GoesOutAsTheWireBytesAndComesBackUnchanged)
{
    EXPECT_EQ(EscapeData(GetParam().data, GetParam().binary).toHex(' '), GetParam().wire.toHex(' '));
    const Decoded back = DecodeCutAt(GetParam().wire, 0, GetParam().binary);
    EXPECT_EQ(back.data.toHex(' '), GetParam().data.toHex(' '));
    EXPECT_TRUE(back.events.empty());
}

INSTANTIATE_TEST_SUITE_P(Bytes, TelnetEscape,
    ::testing::Values(
        EscapeCase {"IacIsDoubled", Bytes({1, 0xFF, 2, 0xFF}), true, Bytes({1, 0xFF, 0xFF, 2, 0xFF, 0xFF})},
        EscapeCase {"CrPassesInBinaryMode", Bytes({0x0D, 0, 0x0D, 0x0A}), true, Bytes({0x0D, 0, 0x0D, 0x0A})},
        EscapeCase {
            "CrBecomesCrNulOutsideBinaryMode", Bytes({0x0D, 0x0A, 0x0D}), false, Bytes({0x0D, 0, 0x0A, 0x0D, 0})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TelnetDecode, StreamCutAnywhereDecodesAsInOnePiece)
{
    const QByteArray input = Bytes({'^', 0xFF, 0xFF, // data with an IAC in it
        0xFF, 0xFB, 0x03, // IAC WILL SGA
        'a', 0xFF, 0xF1, 'b', // IAC NOP
        0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x96, 0xFF, 0xFF, 0xFF, 0xF0, // SB, an IAC IAC inside
        ';', 0x0D, 0x00});
    const std::vector<Event> events
        = {{Event::Kind::Negotiation, kWill, kSuppressGoAhead, {}}, {Event::Kind::Command, 0xF1, 0, {}},
            {Event::Kind::Subnegotiation, kSb, kComPort, Bytes({0x65, 0, 0, 0x96, 0xFF})}};
    for (qsizetype cut = 0; cut <= input.size(); ++cut) {
        const Decoded result = DecodeCutAt(input, cut, false);
        EXPECT_EQ(result.data, Bytes({'^', 0xFF, 'a', 'b', ';', 0x0D})) << "cut at " << cut;
        EXPECT_EQ(result.events, events) << "cut at " << cut;
    }
}

TEST(TelnetDecode, MalformedSubnegotiationsEndWithoutLosingWhatFollows)
{
    // No IAC SE: the next command ends it. Too long: dropped up to its IAC SE.
    QByteArray input = Bytes({0xFF, 0xFA, 0x2C, 0x70, 0x01, 0xFF, 0xFD, 0x00, 'x', 0xFF, 0xFA, 0x2C});
    input += QByteArray(kMaxSubnegotiation * 4, 'z') + Bytes({0xFF, 0xF0, 'o', 'k'});
    const Decoded result = DecodeCutAt(input, 10, true);
    ASSERT_EQ(result.events.size(), 2u);
    EXPECT_EQ(result.events[0].payload, Bytes({0x70, 0x01}));
    EXPECT_EQ(result.events[1], (Event {Event::Kind::Negotiation, kDo, kBinary, {}}));
    EXPECT_EQ(result.data, QByteArray("xok"));
}

TEST(TelnetComPort, RequestsAreFramedAndSer2netsSpeedAnswerIsRead)
{
    // SET-BAUDRATE 38400 = 0x00009600, most significant byte first; a value byte 0xFF doubled.
    EXPECT_EQ(SetBaudRateRequest(38400), Bytes({0xFF, 0xFA, 0x2C, 0x01, 0, 0, 0x96, 0, 0xFF, 0xF0}));
    EXPECT_EQ(SetBaudRateRequest(0xFF), Bytes({0xFF, 0xFA, 0x2C, 0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xF0}));
    EXPECT_EQ(ComPortRequest(kSetControl, kControlDtrOff), Bytes({0xFF, 0xFA, 0x2C, 0x05, 0x09, 0xFF, 0xF0}));
    EXPECT_EQ(ComPortRequest(kPurgeData, kPurgeReceiveBuffer), Bytes({0xFF, 0xFA, 0x2C, 0x0C, 0x01, 0xFF, 0xF0}));

    const Decoded answer = DecodeCutAt(Bytes({0xFF, 0xFA, 0x2C, 0x65, 0, 0, 0x96, 0, 0xFF, 0xF0}), 0, true);
    std::uint8_t command = 0;
    QByteArray value;
    std::uint32_t speed = 0;
    ASSERT_EQ(answer.events.size(), 1u);
    ASSERT_TRUE(ParseComPortReply(answer.events[0], &command, &value));
    EXPECT_EQ(command, kServerOffset + kSetBaudRate);
    ASSERT_TRUE(ParseBaudRate(value, &speed));
    EXPECT_EQ(speed, 38400u);
    EXPECT_FALSE(ParseBaudRate(value.left(3), &speed));
}

TEST(TelnetOptions, OurOpeningCrossingSer2netsLeavesOnlyEchoToRefuse)
{
    CTelnetOptions options({kBinary, kSuppressGoAhead, kComPort}, {kBinary, kSuppressGoAhead});
    const QByteArray hello = options.EnableLocal(kBinary) + options.EnableRemote(kBinary)
        + options.EnableLocal(kSuppressGoAhead) + options.EnableRemote(kSuppressGoAhead)
        + options.EnableLocal(kComPort);
    EXPECT_EQ(hello, Bytes({0xFF, 0xFB, 0, 0xFF, 0xFD, 0, 0xFF, 0xFB, 3, 0xFF, 0xFD, 3, 0xFF, 0xFB, 0x2C}));
    EXPECT_FALSE(options.IsLocalSettled(kComPort));
    // ser2net's opening: WILL SGA, DO SGA, WILL ECHO, DONT ECHO, DO BINARY, WILL BINARY, DO COM-PORT.
    const Decoded greeting = DecodeCutAt(Bytes({0xFF, 0xFB, 3, 0xFF, 0xFD, 3, 0xFF, 0xFB, 1, 0xFF, 0xFE, 1, 0xFF, 0xFD,
                                             0, 0xFF, 0xFB, 0, 0xFF, 0xFD, 0x2C}),
        0, false);
    QByteArray replies;
    for (const Event& e : greeting.events)
        replies += options.Receive(e.verb, e.option);
    EXPECT_EQ(replies, Negotiation(kDont, kEcho));
    EXPECT_TRUE(
        options.IsLocalEnabled(kComPort) && options.IsLocalEnabled(kBinary) && options.IsRemoteEnabled(kBinary));
    // Nothing is asked or answered twice, and what the server asks anew is answered.
    EXPECT_TRUE(options.EnableLocal(kComPort).isEmpty());
    EXPECT_TRUE(options.Receive(kDo, kComPort).isEmpty());
    EXPECT_EQ(options.Receive(kWont, kBinary) + options.Receive(kDo, 24), Bytes({0xFF, 0xFE, 0, 0xFF, 0xFC, 24}));
}

struct NameCase {
    const char* name;
    const char* text;
    const char* hostAndPort; // null: refused
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.text;
}

class RemoteName : public ::testing::TestWithParam<NameCase> { };

TEST_P(RemoteName, IsReadOrRefused)
{
    CRemoteAddress address;
    const bool ok = ParseRemotePortName(QString::fromUtf8(GetParam().text), &address);
    ASSERT_EQ(ok, GetParam().hostAndPort != nullptr);
    if (ok) {
        EXPECT_EQ(HostAndPort(address), QString::fromUtf8(GetParam().hostAndPort));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, RemoteName,
    ::testing::Values(NameCase {"PrefixInAnyCase", "RFC2217://station:3000", "station:3000"},
        NameCase {"Ipv6InBrackets", "socket://[::1]:65535", "[::1]:65535"},
        NameCase {"NoPortIsRefused", "rfc2217://station", nullptr},
        NameCase {"NoHostIsRefused", "rfc2217://:3000", nullptr},
        NameCase {"PortOutOfRangeIsRefused", "socket://host:65536", nullptr},
        NameCase {"Ipv6WithoutBracketsIsRefused", "socket://::1:3000", nullptr},
        NameCase {"DeviceIsNoRemoteName", "/dev/ttyUSB0", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });
