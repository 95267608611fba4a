#include "firmware/download/FileServerAddress.h"

namespace {
constexpr DWORD kInvalidUrl = 12005;
constexpr DWORD kUnrecognizedScheme = 12006;
} // namespace

CFileServerAddress::CFileServerAddress(const QString& setting, const QString& productName)
    : m_url(setting.trimmed(), QUrl::StrictMode)
{
    if (!m_url.isValid()) {
        m_error = kInvalidUrl;
        return;
    }
    if (m_url.scheme().compare(QLatin1String("ftp"), Qt::CaseInsensitive) != 0) {
        m_error = m_url.scheme().isEmpty() ? kInvalidUrl : kUnrecognizedScheme;
        return;
    }
    if (m_url.host().isEmpty() || m_url.hasQuery() || m_url.hasFragment()) {
        m_error = kInvalidUrl;
        return;
    }
    QString start = m_url.path(QUrl::FullyDecoded);
    while (start.startsWith(QLatin1Char('/')))
        start.remove(0, 1);
    while (start.endsWith(QLatin1Char('/')))
        start.chop(1);
    m_folder = productName + QStringLiteral("/firmware");
    if (!start.isEmpty())
        m_folder = start + QLatin1Char('/') + m_folder;
}

QString CFileServerAddress::Host() const
{
    const QString host
        = m_url.host().contains(QLatin1Char(':')) ? QStringLiteral("[%1]").arg(m_url.host()) : m_url.host();
    return m_url.port() < 0 ? host : QStringLiteral("%1:%2").arg(host).arg(m_url.port());
}

QString CFileServerAddress::UrlWithPath(const QString& path) const
{
    QUrl url = m_url;
    url.setScheme(QStringLiteral("ftp"));
    url.setPath(path, QUrl::DecodedMode);
    return url.toString(QUrl::FullyEncoded);
}

QString CFileServerAddress::ConnectUrl() const
{
    return UrlWithPath(QStringLiteral("/"));
}

QString CFileServerAddress::FolderUrl() const
{
    return UrlWithPath(QLatin1Char('/') + m_folder + QLatin1Char('/'));
}

QString CFileServerAddress::FileUrl(const QString& name) const
{
    return UrlWithPath(QLatin1Char('/') + m_folder + QLatin1Char('/') + name);
}
