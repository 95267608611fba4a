#pragma once
#include "model/Types.h"
#include <QUrl>

// The "FileServer" setting read as an address: ftp:// only, a host, an optional port and an
// optional starting folder. The firmware files are in the folder "<product>/firmware" below the
// starting folder (below the login folder when there is none).
class CFileServerAddress {
public:
    CFileServerAddress(const QString& setting, const QString& productName);

    // 0, or 12006 for another scheme than ftp, 12005 for an address without a host, with a
    // query or a fragment, or that does not parse.
    DWORD Error() const { return m_error; }
    // The host as the user reads it, with the port when one is given.
    QString Host() const;
    // The firmware folder on the server, as the user reads it ("QRO4000/firmware").
    QString Folder() const { return m_folder; }
    QString ConnectUrl() const;
    QString FolderUrl() const;
    // A name of the folder listing; every character that is not plain is escaped.
    QString FileUrl(const QString& name) const;

private:
    QString UrlWithPath(const QString& path) const;

    QUrl m_url;
    QString m_folder;
    DWORD m_error = 0;
};
