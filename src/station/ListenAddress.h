#pragma once
// The addresses of the station server's endpoints and the ranges allowed to connect: pure
// parsing of the command line's forms.
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

struct CListenAddress {
    QHostAddress address;
    quint16 port = 0;
};

using CAllowList = QList<QPair<QHostAddress, int>>;

// "ADDR:PORT" or "[IPv6]:PORT" with a numeric address; port 0 takes any free port.
bool ParseListenAddress(const QString& text, CListenAddress* out);
// "CIDR[,CIDR…]": each an address with an optional "/prefix" (a single host without it).
bool ParseAllowList(const QString& text, CAllowList* out);
// An empty list admits everyone: it is only used when every endpoint listens on loopback.
bool IsAllowed(const CAllowList& allow, const QHostAddress& peer);
QString FormatListenAddress(const CListenAddress& address);
