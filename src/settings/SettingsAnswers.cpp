#include "settings/SettingsAnswers.h"

namespace SettingsAnswers {
namespace {
bool IsSeparator(char c)
{
    return c == ' ' || c == ',';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool ParseBandDigits(const SettingInfo& info, const QByteArray& body, SettingValue* value)
{
    if (body.size() != kBandCount)
        return false;
    SettingValue parsed;
    for (int band = 0; band < kBandCount; ++band) {
        if (!IsDigit(body[band]))
            return false;
        const unsigned digit = static_cast<unsigned>(body[band] - '0');
        if (digit < info.minimum || digit > info.maximum)
            return false;
        parsed.bands[band] = digit;
    }
    *value = parsed;
    return true;
}

bool ParseBandNumbers(const SettingInfo& info, const QByteArray& body, SettingValue* value)
{
    SettingValue parsed;
    qsizetype at = 0;
    while (at < body.size() && IsSeparator(body[at]))
        ++at;
    for (int band = 0; band < kBandCount; ++band) {
        if (band > 0) {
            const qsizetype separatorStart = at;
            while (at < body.size() && IsSeparator(body[at]))
                ++at;
            if (at == separatorStart)
                return false;
        }
        // Four digits are more than any setting takes; more could only overflow.
        unsigned number = 0;
        int digits = 0;
        for (; at < body.size() && IsDigit(body[at]); ++at, ++digits) {
            if (digits == 4)
                return false;
            number = number * 10 + static_cast<unsigned>(body[at] - '0');
        }
        if (digits == 0 || number < info.minimum || number > info.maximum)
            return false;
        parsed.bands[band] = number;
    }
    if (at != body.size())
        return false;
    *value = parsed;
    return true;
}
} // namespace

QByteArray SetPrefix(const QByteArray& query)
{
    return query.endsWith(';') ? query.left(query.size() - 1) : query;
}

bool Parse(const SettingInfo& info, const QByteArray& prefix, const QByteArray& answer, SettingValue* value)
{
    if (prefix.isEmpty() || answer.size() <= prefix.size() || !answer.endsWith(';'))
        return false;
    if (answer.left(prefix.size()).compare(prefix, Qt::CaseInsensitive) != 0)
        return false;
    const QByteArray body = answer.mid(prefix.size(), answer.size() - prefix.size() - 1);
    switch (info.kind) {
    case SettingKind::BandDigits:
        return ParseBandDigits(info, body, value);
    case SettingKind::BandNumbers:
        return ParseBandNumbers(info, body, value);
    case SettingKind::Flag:
        // "^AA1x;" is damaged, not 1: only trailing spaces may follow the digit.
        if (body.isEmpty() || (body[0] != '0' && body[0] != '1') || body.count(' ') != body.size() - 1)
            return false;
        *value = SettingValue();
        value->flag = body[0] == '1' ? 1 : 0;
        return true;
    case SettingKind::Text: {
        // Both ends lose white space and ";" (the answer's own ";" included).
        qsizetype begin = prefix.size();
        qsizetype end = answer.size();
        auto trimmed = [](char c) { return c == ';' || c == ' ' || (c >= '\t' && c <= '\r'); };
        while (begin < end && trimmed(answer[begin]))
            ++begin;
        while (end > begin && trimmed(answer[end - 1]))
            --end;
        *value = SettingValue();
        value->text = QString::fromLatin1(answer.mid(begin, end - begin));
        return true;
    }
    }
    return false;
}

QByteArray BuildSetCommand(const SettingInfo& info, const QByteArray& query, const SettingValue& value)
{
    QByteArray command = SetPrefix(query);
    switch (info.kind) {
    case SettingKind::BandDigits:
    case SettingKind::BandNumbers: {
        // " %02u" each, " %03u" for the SWR thresholds.
        const int width = info.maximum > 99 ? 3 : 2;
        for (unsigned number : value.bands)
            command += ' ' + QByteArray::number(number).rightJustified(width, '0');
        break;
    }
    case SettingKind::Flag:
        command += QByteArray::number(value.flag);
        break;
    case SettingKind::Text:
        command += value.text.toLatin1();
        break;
    }
    return command + ';' + query;
}
} // namespace SettingsAnswers
