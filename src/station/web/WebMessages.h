#pragma once
// The browser panel's WebSocket messages, JSON objects with a "t" naming the kind: pure
// functions between them and the requests and readings of the station server.
//   browser -> server: {"t":"control"}, {"t":"release"}, {"t":"key","key":"MODE"},
//                      {"t":"band","band":5}, {"t":"power","on":false}
//   server -> browser: "hello" (texts, keys, bands, scales, watchdog, history), "state" after
//                      every poll cycle, "result" for each request.
#include "operate/OperateKeys.h"
#include "operate/OperateSnapshot.h"
#include <QByteArray>
#include <QJsonObject>

struct WebRequest {
    enum class Kind { Invalid, Control, Release, Key, Band, Power } kind = Kind::Invalid;
    OperateKey key = OperateKey::Count;
    int band = -1;
    bool on = false;
};

namespace WebMessages {
// The largest message a browser may send; a bigger one closes its connection.
constexpr qint64 kMaxRequestBytes = 1024;
// A request of the panel, or Invalid for anything else: unknown kinds, a key by a name no key
// has (or the band key, which goes by "band"), a band outside 0 to 10, a power without "on".
WebRequest ParseRequest(const QByteArray& text);
// One cycle's readings as the panel shows them: null for what the cycle did not read; SWR,
// PA voltage and frequency as the desktop program writes them; the fault by its name.
QJsonObject Readings(const OperateSnapshot& readings);
} // namespace WebMessages
