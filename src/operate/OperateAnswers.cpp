#include "operate/OperateAnswers.h"
#include "link/Answers.h"
#include "model/HexDigits.h"
#include <cctype>

namespace {
bool IsSpace(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
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
    const long long value = Answers::ParseDecimal(rest, 0);
    if (value < 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<WORD>(value);
}

std::optional<DWORD> Millivolts(const QByteArray& rest)
{
    return static_cast<DWORD>(Answers::ParseDecimal(rest, 0));
}

std::optional<BYTE> Antenna(const QByteArray& rest)
{
    const auto low = static_cast<BYTE>(Answers::ParseDecimal(rest, 0) & 0xFF);
    if (low != 1 && low != 2)
        return std::nullopt;
    return low;
}

std::optional<int> Band(const QByteArray& rest)
{
    // A negative band would index outside every per-band array.
    const long long value = Answers::ParseDecimal(rest, 0);
    if (value < 0 || value > 10)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> Flag(const QByteArray& rest)
{
    if (rest.isEmpty() || (rest[0] != '0' && rest[0] != '1'))
        return std::nullopt;
    return rest[0] - '0';
}

std::optional<wchar_t> Letter(const QByteArray& rest)
{
    if (rest.isEmpty())
        return std::nullopt;
    return static_cast<wchar_t>(static_cast<unsigned char>(rest[0]));
}

std::optional<BYTE> HexByte(const QByteArray& rest)
{
    return TwoHexDigits(rest, 0);
}

std::optional<BYTE> RelayByte(const QByteArray& rest)
{
    return TwoHexDigits(rest.trimmed(), 0);
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
