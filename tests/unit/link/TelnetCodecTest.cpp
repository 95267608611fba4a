// The Telnet framing of serial device servers on byte vectors: IAC doubling, the decoding of
// a stream cut anywhere, the option negotiation with ser2net's own opening, the COM-PORT-OPTION
// requests and answers, and the names of remote ports.
#include "link/TelnetCodec.h"
#include "link/RemotePortName.h"
#include "link/TelnetOptions.h"
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

struct DecodeResult {
    QByteArray data;
    std::vector<Event> events;
};

DecodeResult DecodeInPieces(const QByteArray& input, qsizetype cut, bool binary)
{
    DecoderState state;
    DecodeResult result;
    Decode(state, QByteArrayView(input).first(cut), binary, &result.data, &result.events);
    Decode(state, QByteArrayView(input).sliced(cut), binary, &result.data, &result.events);
    return result;
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
    DecodeResult back = DecodeInPieces(GetParam().wire, 0, GetParam().binary);
    EXPECT_EQ(back.data.toHex(' '), GetParam().data.toHex(' '));
    EXPECT_TRUE(back.events.empty());
}

INSTANTIATE_TEST_SUITE_P(Bytes, TelnetEscape,
    ::testing::Values(EscapeCase {"IacIsDoubled", Bytes({0x01, 0xFF, 0x02, 0xFF, 0xFF}), true,
                          Bytes({0x01, 0xFF, 0xFF, 0x02, 0xFF, 0xFF, 0xFF, 0xFF})},
        EscapeCase {"CrPassesInBinaryMode", Bytes({0x0D, 0x00, 0x0D, 0x0A}), true, Bytes({0x0D, 0x00, 0x0D, 0x0A})},
        EscapeCase {"CrBecomesCrNulOutsideBinaryMode", Bytes({'^', 0x0D, 'x'}), false, Bytes({'^', 0x0D, 0x00, 'x'})},
        EscapeCase {"CrLfKeepsItsLfOutsideBinaryMode", Bytes({0x0D, 0x0A}), false, Bytes({0x0D, 0x00, 0x0A})},
        EscapeCase {"CommandTextIsUnchanged", QByteArray("^er00000040;"), true, QByteArray("^er00000040;")}),
    [](const auto& info) { return std::string(info.param.name); });

// Data with every kind of Telnet sequence between its bytes.
TEST(TelnetDecode, StreamCutAnywhereDecodesAsInOnePiece)
{
    const QByteArray input = Bytes({'^', 'E', 'R', 0xFF, 0xFF, // data with an IAC in it
        0xFF, 0xFB, 0x03, // IAC WILL SGA
        'a', 0xFF, 0xF1, 'b', // IAC NOP inside data
        0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x01, 0xFF, 0xFF, 0x00, 0xFF, 0xF0, // SB with IAC IAC
        ';', 0x0D, 0x00});
    const std::vector<Event> expected = {
        {Event::Kind::Negotiation, kWill, kSuppressGoAhead, {}},
        {Event::Kind::Command, 0xF1, 0, {}},
        {Event::Kind::Subnegotiation, kSb, kComPort, Bytes({0x65, 0x00, 0x01, 0xFF, 0x00})},
    };
    for (qsizetype cut = 0; cut <= input.size(); ++cut) {
        const DecodeResult result = DecodeInPieces(input, cut, false);
        EXPECT_EQ(result.data, Bytes({'^', 'E', 'R', 0xFF, 'a', 'b', ';', 0x0D})) << "cut at " << cut;
        EXPECT_EQ(result.events, expected) << "cut at " << cut;
    }
}

TEST(TelnetDecode, SubnegotiationWithoutItsSeEndsAtTheNextCommand)
{
    const DecodeResult result = DecodeInPieces(Bytes({0xFF, 0xFA, 0x2C, 0x70, 0x01, 0xFF, 0xFD, 0x00, 'x'}), 0, true);
    ASSERT_EQ(result.events.size(), 2u);
    EXPECT_EQ(result.events[0].payload, Bytes({0x70, 0x01}));
    EXPECT_EQ(result.events[1], (Event {Event::Kind::Negotiation, kDo, kBinary, {}}));
    EXPECT_EQ(result.data, QByteArray("x"));
}

TEST(TelnetDecode, OverlongSubnegotiationIsDroppedAndDataAfterItSurvives)
{
    QByteArray input = Bytes({0xFF, 0xFA, 0x2C});
    input.append(QByteArray(kMaxSubnegotiation * 4, 'z'));
    input.append(Bytes({0xFF, 0xF0, 'o', 'k'}));
    const DecodeResult result = DecodeInPieces(input, 10, true);
    EXPECT_TRUE(result.events.empty());
    EXPECT_EQ(result.data, QByteArray("ok"));
}

TEST(TelnetRequests, ComPortRequestsAreFramedWithTheirValues)
{
    // SET-BAUDRATE 38400 = 0x00009600, most significant byte first.
    EXPECT_EQ(SetBaudRateRequest(38400), Bytes({0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x96, 0x00, 0xFF, 0xF0}));
    EXPECT_EQ(ComPortRequest(kSetControl, kControlDtrOff), Bytes({0xFF, 0xFA, 0x2C, 0x05, 0x09, 0xFF, 0xF0}));
    EXPECT_EQ(ComPortRequest(kPurgeData, kPurgeReceiveBuffer), Bytes({0xFF, 0xFA, 0x2C, 0x0C, 0x01, 0xFF, 0xF0}));
    // A value byte 0xFF is doubled inside the subnegotiation.
    EXPECT_EQ(SetBaudRateRequest(0xFF), Bytes({0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xF0}));
}

TEST(TelnetRequests, Ser2netSpeedAnswerIsRead)
{
    // ser2net's answer to SET-BAUDRATE 38400, as captured on the wire.
    const DecodeResult result
        = DecodeInPieces(Bytes({0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x96, 0x00, 0xFF, 0xF0}), 0, true);
    ASSERT_EQ(result.events.size(), 1u);
    std::uint8_t command = 0;
    QByteArray value;
    std::uint32_t speed = 0;
    ASSERT_TRUE(ParseComPortReply(result.events[0], &command, &value));
    EXPECT_EQ(command, kServerOffset + kSetBaudRate);
    ASSERT_TRUE(ParseBaudRate(value, &speed));
    EXPECT_EQ(speed, 38400u);
    EXPECT_FALSE(ParseBaudRate(Bytes({0x00, 0x96, 0x00}), &speed));
}

TEST(TelnetOptions, OurOpeningCrossingSer2netsLeavesOnlyEchoToRefuse)
{
    CTelnetOptions options({kBinary, kSuppressGoAhead, kComPort}, {kBinary, kSuppressGoAhead});
    const QByteArray hello = options.EnableLocal(kBinary) + options.EnableRemote(kBinary)
        + options.EnableLocal(kSuppressGoAhead) + options.EnableRemote(kSuppressGoAhead)
        + options.EnableLocal(kComPort);
    EXPECT_EQ(hello, Bytes({0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x2C}));
    EXPECT_FALSE(options.IsLocalSettled(kComPort));
    // ser2net's opening, as captured: WILL SGA, DO SGA, WILL ECHO, DONT ECHO, DO BINARY,
    // WILL BINARY, DO COM-PORT-OPTION.
    DecodeResult greeting = DecodeInPieces(Bytes({0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x01, 0xFF, 0xFE,
                                               0x01, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x2C}),
        0, false);
    QByteArray replies;
    for (const Event& e : greeting.events)
        replies += options.Receive(e.verb, e.option);
    EXPECT_EQ(replies, Negotiation(kDont, kEcho));
    EXPECT_TRUE(options.IsLocalEnabled(kComPort));
    EXPECT_TRUE(options.IsLocalEnabled(kBinary));
    EXPECT_TRUE(options.IsRemoteEnabled(kBinary));
    EXPECT_FALSE(options.IsRemoteEnabled(kEcho));
    // Asking again for what is on sends nothing.
    EXPECT_TRUE(options.EnableLocal(kComPort).isEmpty());
}

struct NegotiationCase {
    const char* name;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> received;
    QByteArray replies;
};

class TelnetNegotiation : public ::testing::TestWithParam<NegotiationCase> { };

TEST_P(TelnetNegotiation, ServerRequestsAreAnsweredOnce)
{
    CTelnetOptions options({kBinary, kComPort}, {kBinary});
    QByteArray replies;
    for (const auto& [verb, option] : GetParam().received)
        replies += options.Receive(verb, option);
    EXPECT_EQ(replies.toHex(' '), GetParam().replies.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(Requests, TelnetNegotiation,
    ::testing::Values(NegotiationCase {"AgreedOptionIsAcceptedOnceEvenWhenAskedTwice",
                          {{kDo, kComPort}, {kDo, kComPort}}, Bytes({0xFF, 0xFB, 0x2C})},
        NegotiationCase {"UnknownLocalOptionIsRefused", {{kDo, 24}}, Bytes({0xFF, 0xFC, 0x18})},
        NegotiationCase {"UnknownRemoteOptionIsRefused", {{kWill, kEcho}}, Bytes({0xFF, 0xFE, 0x01})},
        NegotiationCase {"RefusalOfWhatIsOffIsNotAnswered", {{kDont, kEcho}, {kWont, kBinary}}, QByteArray()},
        NegotiationCase {"SwitchingOffWhatIsOnIsAcknowledged", {{kWill, kBinary}, {kWont, kBinary}},
            Bytes({0xFF, 0xFD, 0x00, 0xFF, 0xFE, 0x00})}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    const char* text;
    RemoteProtocol protocol;
    const char* hostAndPort; // null: refused
};

class RemoteName : public ::testing::TestWithParam<NameCase> { };

TEST_P(RemoteName, IsReadOrRefused)
{
    CRemoteAddress address;
    const bool ok = ParseRemotePortName(QString::fromUtf8(GetParam().text), &address);
    EXPECT_EQ(RemoteProtocolOf(QString::fromUtf8(GetParam().text)), GetParam().protocol);
    ASSERT_EQ(ok, GetParam().hostAndPort != nullptr);
    if (ok)
        EXPECT_EQ(HostAndPort(address), QString::fromUtf8(GetParam().hostAndPort));
}

INSTANTIATE_TEST_SUITE_P(Names, RemoteName,
    ::testing::Values(NameCase {"HostAndPort", "rfc2217://station:3000", RemoteProtocol::Rfc2217, "station:3000"},
        NameCase {"PrefixInAnyCase", "SOCKET://127.0.0.1:4001", RemoteProtocol::RawTcp, "127.0.0.1:4001"},
        NameCase {"Ipv6InBrackets", "rfc2217://[::1]:65535", RemoteProtocol::Rfc2217, "[::1]:65535"},
        NameCase {"NoPortIsRefused", "rfc2217://station", RemoteProtocol::Rfc2217, nullptr},
        NameCase {"NoHostIsRefused", "rfc2217://:3000", RemoteProtocol::Rfc2217, nullptr},
        NameCase {"PortZeroIsRefused", "socket://host:0", RemoteProtocol::RawTcp, nullptr},
        NameCase {"PortAbove65535IsRefused", "socket://host:65536", RemoteProtocol::RawTcp, nullptr},
        NameCase {"PortWithLettersIsRefused", "socket://host:30x", RemoteProtocol::RawTcp, nullptr},
        NameCase {"Ipv6WithoutBracketsIsRefused", "socket://::1:3000", RemoteProtocol::RawTcp, nullptr},
        NameCase {"UserPartIsRefused", "socket://user@host:3000", RemoteProtocol::RawTcp, nullptr},
        NameCase {"DeviceIsNoRemoteName", "/dev/ttyUSB0", RemoteProtocol::None, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });
