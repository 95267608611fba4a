#include "station/web/WebAccess.h"
#include <QList>
#include <QRandomGenerator>

namespace WebAccess {
QByteArray GenerateToken()
{
    quint32 words[8];
    QRandomGenerator::system()->fillRange(words);
    const QByteArray bytes(reinterpret_cast<const char*>(words), sizeof words);
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

bool IsUsableToken(const QByteArray& token)
{
    if (token.size() < kMinimumTokenLength)
        return false;
    for (char c : token)
        if (c <= ' ' || c > '~' || c == '"' || c == ',' || c == ';' || c == '\\')
            return false;
    return true;
}

bool SameToken(const QByteArray& expected, const QByteArray& given)
{
    // Every byte of the given token is looked at whatever the outcome; only the lengths (which
    // say nothing about the content) end it early.
    if (expected.isEmpty() || expected.size() != given.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned char>(expected[i] ^ given[i]);
    return difference == 0;
}

Presented FromRequest(const QByteArray& authorization, const QString& queryToken, const QByteArray& cookies)
{
    const QByteArray bearer = authorization.trimmed();
    if (bearer.size() > 7 && bearer.left(7).compare("bearer ", Qt::CaseInsensitive) == 0)
        return {bearer.mid(7).trimmed(), false};
    if (!queryToken.isEmpty())
        return {queryToken.toUtf8(), true};
    for (const QByteArray& part : cookies.split(';')) {
        const QByteArray pair = part.trimmed();
        const qsizetype eq = pair.indexOf('=');
        if (eq > 0 && pair.left(eq) == kCookieName)
            return {pair.mid(eq + 1), false};
    }
    return {};
}
} // namespace WebAccess
