// Feeds arbitrary bytes to the browser panel's readers of outside input: a WebSocket message
// and the token a request carries. Whatever a message says, what comes out is one request the
// server can act on (a key that has a name, a band from 0 to 10) or nothing; a token is never
// taken from an input that does not hold it.
#include "station/web/WebAccess.h"
#include "station/web/WebMessages.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const WebRequest request = WebMessages::ParseRequest(input);
    const bool keyRight = (request.kind == WebRequest::Kind::Key)
        == (request.key != OperateKey::Count && request.key != OperateKey::Band);
    const bool bandRight = request.kind == WebRequest::Kind::Band ? request.band >= 0 && request.band < 11
                                                                  : request.band == -1;
    if (!keyRight || !bandRight)
        std::abort();
    const qsizetype half = input.size() / 2;
    const WebAccess::Presented presented
        = WebAccess::FromRequest(input.left(half), QString(), input.mid(half));
    if (!presented.token.isEmpty() && !input.contains(presented.token))
        std::abort();
    return 0;
}
