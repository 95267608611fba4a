#include "station/LineCommand.h"
#include "model/SerialPortInterface.h"
#include <QByteArray>
#include <array>

namespace LineCommand {
namespace {
// Settings the edit-configuration sheet reads with "^name;" and writes with "^name" followed
// by the new value: the write is not answered (the query written after it is).
constexpr std::array kSettings {"aeab", "apab", "hsab", "aa", "abab", "xk", "bt", "stbab", "stnab", "staab", "stsab",
    "dh", "ip", "gw", "ma", "nm", "cp", "wl", "pf1", "pf2", "cc", "cr", "lr"};

// Queries the amplifier answers at once.
constexpr std::array kQueries {"i", "rv", "sn", "on", "ds", "fl", "oc", "os", "an", "bn", "am", "ai", "si", "fq", "pc",
    "vmh", "pwd", "pwf", "pwi", "pwr", "sw", "sb", "tm"};

// Commands that are never answered: front-panel keys (tap and hold), the cache flush and the
// configuration reset.
constexpr std::array kUnanswered {"bpt", "bph", "cf", "ec"};

bool StartsWith(const QByteArray& text, const char* prefix)
{
    return text.startsWith(QByteArrayView(prefix));
}
} // namespace

qsizetype CommandLength(QByteArrayView bytes)
{
    const qsizetype end = bytes.indexOf(';');
    return end < 0 ? 0 : end + 1;
}

Rule Classify(QByteArrayView command, bool afterErase)
{
    // Whatever a terminal program puts before the caret (a line end) is not part of the name.
    qsizetype start = 0;
    while (start < command.size() && command[start] != '^' && command[start] != ';')
        ++start;
    const QByteArray text = command.sliced(start).toByteArray().toLower();
    Rule rule;
    if (text == ";") {
        rule.waitMs = kQueryWaitMs; // the speed poll: any answer ending in ";"
        return rule;
    }
    if (!text.startsWith('^'))
        return rule;
    const QByteArray body = text.mid(1, text.size() - 2); // without "^" and ";"
    if (body == "rv") {
        rule.waitMs = afterErase ? kEraseWaitMs : kQueryWaitMs;
        return rule;
    }
    if (StartsWith(body, "er") || StartsWith(body, "ew")) {
        rule.waitMs = kBlockWaitMs;
        return rule;
    }
    const auto unanswered = [&rule](Effect effect) {
        rule.answered = false;
        rule.waitMs = 0;
        rule.effect = effect;
        return rule;
    };
    if (body == "ld")
        return unanswered(Effect::EnterBootLoader);
    if (body == "on0")
        return unanswered(Effect::PowerOff);
    if (body == "on1")
        return unanswered(Effect::PowerOn);
    if (body == "on") {
        rule.waitMs = kQueryWaitMs;
        rule.effect = Effect::PowerQuery;
        return rule;
    }
    if (body.size() == 3 && StartsWith(body, "br") && body[2] >= '0' && body[2] <= '6') {
        unanswered(Effect::Speed);
        rule.speed = kSupportedSpeeds[6 - (body[2] - '0')];
        return rule;
    }
    if (StartsWith(body, "em"))
        return unanswered(Effect::EraseMemory);
    for (const char* name : kUnanswered)
        if (StartsWith(body, name))
            return unanswered(Effect::None);
    for (const char* name : kSettings) {
        if (body == name) {
            rule.waitMs = kQueryWaitMs;
            return rule;
        }
        if (StartsWith(body, name))
            return unanswered(Effect::None);
    }
    for (const char* name : kQueries)
        if (body == name) {
            rule.waitMs = kQueryWaitMs;
            return rule;
        }
    return rule;
}
} // namespace LineCommand
