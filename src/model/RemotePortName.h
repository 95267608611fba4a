#pragma once
// Port names that reach the amplifier through a serial device server: "socket://HOST:PORT"
// (raw TCP: bytes pass unchanged) and "rfc2217://HOST:PORT" (Telnet with the COM-PORT-OPTION:
// speed and line settings reach the server's port). An IPv6 address is written in brackets,
// "rfc2217://[::1]:3000".
#include <QString>

enum class RemoteProtocol { None, RawTcp, Rfc2217 };

struct CRemoteAddress {
    RemoteProtocol protocol = RemoteProtocol::None;
    QString host;
    quint16 port = 0;
};

// The protocol a name asks for by its prefix (in any case), whether or not the rest is valid.
RemoteProtocol RemoteProtocolOf(const QString& name);
// False for a name without a remote prefix, or whose host or port is missing or invalid.
bool ParseRemotePortName(const QString& name, CRemoteAddress* address);
// "host:port", "[v6]:port": how messages name the server.
QString HostAndPort(const CRemoteAddress& address);
