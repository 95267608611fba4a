#include "link/Answers.h"

namespace Answers {
namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}

std::optional<long long> ParseDecimal(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    long long value = 0;
    while (at < text.size() && IsDigit(text[at])) {
        value = value * 10 + (text[at] - '0');
        if (value > 0xFFFFFFFFLL)
            value = 0xFFFFFFFFLL + 1;  // out of every range the callers accept
        ++at;
    }
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at + 1 != text.size() || text[at] != ';')
        return std::nullopt;
    return negative ? -value : value;
}

bool ParseRevision(const QByteArray& answer, WORD* revision)
{
    if (!answer.startsWith("^RV") || answer.size() < 9)
        return false;
    const char* p = answer.constData() + 3;
    if (!IsDigit(p[0]) || !IsDigit(p[1]) || p[2] != '.' || !IsDigit(p[3]) || !IsDigit(p[4]) || p[5] != ';')
        return false;
    *revision = static_cast<WORD>(((p[0] - '0') * 10 + (p[1] - '0')) * 100 + (p[3] - '0') * 10 + (p[4] - '0'));
    return true;
}

bool ParseSerialNumber(const QByteArray& answer, WORD* serialNumber)
{
    if (answer.size() < 3 || qstrnicmp(answer.constData(), "^SN", 3) != 0)
        return false;
    const auto value = ParseDecimal(answer, 3);
    if (!value || *value < 0 || *value > 65535)
        return false;
    *serialNumber = static_cast<WORD>(*value);
    return true;
}
}  // namespace Answers
