#include "operate/OperateAnswers.h"
#include "link/Answers.h"
#include "model/HexDigits.h"
#include <cctype>

namespace {
bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Whether the answer ends at `at` as an answer must: trailing spaces, then its ";" as the last
// character. Anything else there means the answer was damaged on the way.
bool EndsAnswer(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && text[at] == ' ')
        ++at;
    return at + 1 == text.size() && text[at] == ';';
}

std::optional<BYTE> TwoHexDigits(const QByteArray& text, qsizetype at)
{
    if (text.size() < at + 2)
        return std::nullopt;
    const int high = Hex::DigitValue(text[at]);
    const int low = Hex::DigitValue(text[at + 1]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<BYTE>(high << 4 | low);
}
} // namespace

namespace OperateAnswers {
bool HasPrefix(const QByteArray& answer, const QByteArray& prefix)
{
    return answer.size() >= prefix.size() && qstrnicmp(answer.constData(), prefix.constData(), prefix.size()) == 0;
}

std::optional<WORD> Word(const QByteArray& rest)
{
    // A negative reading is as impossible as one above 65535: both are dropped.
    const auto value = Answers::ParseDecimal(rest, 0);
    if (!value || *value < 0 || *value > 0xFFFF)
        return std::nullopt;
    return static_cast<WORD>(*value);
}

std::optional<DWORD> Millivolts(const QByteArray& rest)
{
    // A negative voltage is no reading (as unsigned it would show as 4294967.3 V).
    const auto value = Answers::ParseDecimal(rest, 0);
    if (!value || *value < 0 || *value > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<DWORD>(*value);
}

std::optional<BYTE> Antenna(const QByteArray& rest)
{
    const auto value = Answers::ParseDecimal(rest, 0);
    if (!value)
        return std::nullopt;
    const auto low = static_cast<BYTE>(*value & 0xFF);
    if (low != 1 && low != 2)
        return std::nullopt;
    return low;
}

std::optional<int> Band(const QByteArray& rest)
{
    // A negative band would index outside every per-band array.
    const auto value = Answers::ParseDecimal(rest, 0);
    if (!value || *value < 0 || *value > 10)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::optional<int> Flag(const QByteArray& rest)
{
    if (rest.isEmpty() || (rest[0] != '0' && rest[0] != '1') || !EndsAnswer(rest, 1))
        return std::nullopt;
    return rest[0] - '0';
}

std::optional<wchar_t> Letter(const QByteArray& rest)
{
    // "^am;" carries no letter: its ";" is not one.
    if (rest.isEmpty() || rest[0] == ';' || IsSpace(rest[0]) || !EndsAnswer(rest, 1))
        return std::nullopt;
    return static_cast<wchar_t>(static_cast<unsigned char>(rest[0]));
}

std::optional<BYTE> HexByte(const QByteArray& rest)
{
    if (!EndsAnswer(rest, 2))
        return std::nullopt;
    return TwoHexDigits(rest, 0);
}

std::optional<BYTE> RelayByte(const QByteArray& rest)
{
    qsizetype at = 0;
    while (at < rest.size() && IsSpace(rest[at]))
        ++at;
    if (!EndsAnswer(rest, at + 2))
        return std::nullopt;
    return TwoHexDigits(rest, at);
}

std::optional<QString> DisplayText(const QByteArray& rest)
{
    qsizetype begin = 0;
    qsizetype end = rest.size();
    while (end > begin && IsSpace(rest[end - 1]))
        --end;
    while (begin < end && IsSpace(rest[begin]))
        ++begin;
    while (end > begin && rest[end - 1] == ';')
        --end;
    while (begin < end && rest[begin] == ';')
        ++begin;
    return QString::fromLatin1(rest.constData() + begin, end - begin);
}
} // namespace OperateAnswers
