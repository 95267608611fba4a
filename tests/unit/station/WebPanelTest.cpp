// The browser panel's access and control rules: which requests carry the token, and who
// controls the amplifier when browsers come, go silent and vanish, with the watchdog's verdict.
#include "station/web/WebAccess.h"
#include "station/web/WebControl.h"
#include "station/web/WebMessages.h"
#include <gtest/gtest.h>

namespace {
TEST(WebAccess, OnlyTheExactTokenFromOneOfItsPlacesIsAccepted)
{
    const QByteArray token = "k3y-0123456789abcdef";
    const struct {
        const char* authorization;
        const char* query;
        const char* cookies;
        bool accepted;
        bool fromQuery;
    } cases[] = {
        {"Bearer k3y-0123456789abcdef", "", "", true, false},
        {"bearer  k3y-0123456789abcdef ", "wrong", "", true, false},
        {"", "k3y-0123456789abcdef", "", true, true},
        {"", "", "a=1; qro4000_token=k3y-0123456789abcdef; b=2", true, false},
        {"", "", "xqro4000_token=k3y-0123456789abcdef", false, false},
        {"", "", "qro4000_token=k3y-0123456789abcdeF", false, false},
        {"", "", "qro4000_token=k3y-0123456789abcde", false, false},
        {"Basic k3y-0123456789abcdef", "", "", false, false},
        {"", "", "", false, false},
    };
    for (const auto& c : cases) {
        const WebAccess::Presented presented
            = WebAccess::FromRequest(c.authorization, QString::fromLatin1(c.query), c.cookies);
        EXPECT_EQ(WebAccess::SameToken(token, presented.token), c.accepted) << c.authorization << c.query << c.cookies;
        EXPECT_EQ(presented.fromQuery, c.accepted && c.fromQuery) << c.query;
    }
    // A server without a token lets nobody in, not even a request without one.
    EXPECT_FALSE(WebAccess::SameToken(QByteArray(), QByteArray()));
    EXPECT_TRUE(WebAccess::IsUsableToken(WebAccess::GenerateToken()));
    EXPECT_NE(WebAccess::GenerateToken(), WebAccess::GenerateToken());
    for (const char* weak : {"short", "has a space in it!!", "semi;colon-0123456789", "quote\"0123456789abc"})
        EXPECT_FALSE(WebAccess::IsUsableToken(weak)) << weak;
}

// What a browser sends is outside input: anything but a well-formed request is nothing.
TEST(WebMessages, RequestsAreReadStrictly)
{
    using K = WebRequest::Kind;
    const struct {
        const char* text;
        K kind;
        OperateKey key;
        int band;
    } cases[] = {
        {R"({"t":"key","key":"MODE"})", K::Key, OperateKey::Mode, -1},
        {R"({"t":"key","key":"BAND"})", K::Invalid, OperateKey::Count, -1},
        {R"({"t":"key","key":"OPERATE"})", K::Invalid, OperateKey::Count, -1},
        {R"({"t":"band","band":10})", K::Band, OperateKey::Count, 10},
        {R"({"t":"band","band":11})", K::Invalid, OperateKey::Count, -1},
        {R"({"t":"band","band":5.5})", K::Invalid, OperateKey::Count, -1},
        {R"({"t":"band","band":"5"})", K::Invalid, OperateKey::Count, -1},
        {R"({"t":"power","on":false})", K::Power, OperateKey::Count, -1},
        {R"({"t":"power","on":1})", K::Invalid, OperateKey::Count, -1},
        {R"({"t":"operate"})", K::Invalid, OperateKey::Count, -1},
        {R"({"t":"control"})", K::Control, OperateKey::Count, -1},
        {"not json", K::Invalid, OperateKey::Count, -1},
    };
    for (const auto& c : cases) {
        const WebRequest r = WebMessages::ParseRequest(c.text);
        EXPECT_FALSE(r.on) << c.text;
        EXPECT_EQ(int(r.kind), int(c.kind)) << c.text;
        EXPECT_EQ(int(r.key), int(c.key)) << c.text;
        EXPECT_EQ(r.band, c.band) << c.text;
    }
    EXPECT_TRUE(WebMessages::ParseRequest(R"({"t":"power","on":true})").on);
    const QByteArray padded = R"({"t":"control","pad":")" + QByteArray(WebMessages::kMaxRequestBytes, 'x') + R"("})";
    EXPECT_EQ(int(WebMessages::ParseRequest(padded).kind), int(K::Invalid));
}

TEST(WebControl, OneControllerAndTheWatchdogDecideOnSilence)
{
    enum Op { Take, Release, Heard, Left, Check, Failed };
    using V = CWebControl::Verdict;
    struct Step {
        Op op;
        int client;
        std::uint64_t at;
        bool operate; // Check: what the amplifier reads
        int expected; // Take/Release: granted; Check: the verdict
        int controller; // afterwards
    };
    const struct {
        const char* name;
        std::uint64_t watchdogMs;
        std::vector<Step> steps;
    } cases[] = {
        {"a watcher cannot take control from a present controller", 10000,
            {{Take, 1, 0, false, 1, 1}, {Take, 2, 100, false, 0, 1}, {Release, 2, 200, false, 0, 1},
                {Release, 1, 300, false, 1, 0}, {Take, 2, 400, false, 1, 2}}},
        {"heard in time keeps control; silent in operate switches off", 10000,
            {{Take, 1, 0, true, 1, 1}, {Heard, 1, 5000, true, 0, 1}, {Heard, 2, 9000, true, 0, 1},
                {Check, 0, 14999, true, int(V::None), 1}, {Check, 0, 15000, true, int(V::SwitchOff), 0},
                {Check, 0, 30000, true, int(V::None), 0}}},
        {"silent in standby only loses control", 10000,
            {{Take, 1, 0, false, 1, 1}, {Check, 0, 10000, false, int(V::Dropped), 0}}},
        {"a vanished controller is switched off after the watchdog's time", 5000,
            {{Take, 1, 0, true, 1, 1}, {Heard, 1, 1000, true, 0, 1}, {Left, 1, 1500, true, 0, 1},
                {Check, 0, 5999, true, int(V::None), 1}, {Check, 0, 6000, true, int(V::SwitchOff), 0}}},
        {"a switch-off that failed is asked again while in operate and nobody controls", 5000,
            {{Take, 1, 0, true, 1, 1}, {Check, 0, 5000, true, int(V::SwitchOff), 0}, {Failed, 0, 8000, true, 0, -1},
                {Check, 0, 12999, true, int(V::None), -1}, {Check, 0, 13000, true, int(V::SwitchOff), 0},
                {Failed, 0, 14000, true, 0, -1}, {Take, 2, 15000, true, 1, 2}, {Check, 0, 19000, true, int(V::None), 2}}},
        {"whoever takes over from a vanished controller disarms it", 5000,
            {{Take, 1, 0, true, 1, 1}, {Left, 1, 100, true, 0, 1}, {Take, 2, 3000, true, 1, 2},
                {Check, 0, 7000, true, int(V::None), 2}}},
        {"released knowingly: no watchdog follows", 5000,
            {{Take, 1, 0, true, 1, 1}, {Release, 1, 100, true, 1, 0}, {Left, 1, 200, true, 0, 0},
                {Check, 0, 60000, true, int(V::None), 0}}},
        {"watchdog off: a vanished controller frees control at once", 0,
            {{Take, 1, 0, true, 1, 1}, {Left, 1, 100, true, 0, 0}, {Check, 0, 60000, true, int(V::None), 0}}},
        {"watchdog off: a silent controller loses control, the amplifier stays", 0,
            {{Take, 1, 0, true, 1, 1}, {Check, 0, CWebControl::kDefaultSilenceMs, true, int(V::Dropped), 0}}},
    };
    for (const auto& c : cases) {
        CWebControl control(c.watchdogMs);
        int index = 0;
        for (const Step& s : c.steps) {
            switch (s.op) {
            case Take:
                EXPECT_EQ(control.Take(s.client, s.at), s.expected != 0) << c.name << " step " << index;
                break;
            case Release:
                EXPECT_EQ(control.Release(s.client), s.expected != 0) << c.name << " step " << index;
                break;
            case Heard:
                control.Heard(s.client, s.at);
                break;
            case Left:
                control.Left(s.client);
                break;
            case Failed:
                control.SwitchOffFailed(s.at);
                break;
            case Check:
                EXPECT_EQ(int(control.Check(s.at, s.operate)), s.expected) << c.name << " step " << index;
                break;
            }
            EXPECT_EQ(control.Controller(), s.controller) << c.name << " step " << index;
            ++index;
        }
    }
}
} // namespace
