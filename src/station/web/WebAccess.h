#pragma once
// Who may use the browser panel: one secret token, shown to the user once, carried by the
// browser as a cookie after the first request that names it. Pure functions on the request's
// parts, so that the checks are the same for pages, the state and the WebSocket.
#include <QByteArray>
#include <QString>

namespace WebAccess {
constexpr int kMinimumTokenLength = 16;
inline constexpr char kCookieName[] = "qro4000_token";

// 32 random bytes from the system's generator, base64url without padding (43 characters).
QByteArray GenerateToken();
// Whether a token from the environment or a file is usable: at least kMinimumTokenLength
// printable ASCII characters that a cookie can carry (no spaces, quotes, commas, semicolons,
// backslashes).
bool IsUsableToken(const QByteArray& token);
// Compares in a time that depends only on the lengths, so that a client cannot learn the
// token a character at a time from how long the answer takes.
bool SameToken(const QByteArray& expected, const QByteArray& given);

struct Presented {
    QByteArray token; // empty: none presented
    bool fromQuery = false; // "?token=": the page answers with the cookie
};
// The token a request carries: "Authorization: Bearer", else the "token" query item, else the
// cookie.
Presented FromRequest(const QByteArray& authorization, const QString& queryToken, const QByteArray& cookies);
} // namespace WebAccess
