#include "station/web/WebServer.h"
#include "model/ErrorText.h"
#include "model/EventHost.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperateDerived.h"
#include "operate/OperateStringIds.h"
#include "station/StationPoll.h"
#include "station/web/WebAccess.h"
#include "station/web/WebMessages.h"
#include "station/web/WebStringIds.h"
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QTcpServer>
#include <QWebSocket>

// The compiled-in page (web/WebAssets.qrc): a static library's resources are registered by
// hand, from the global namespace.
static void RegisterWebAssets()
{
    Q_INIT_RESOURCE(WebAssets);
}

namespace {
using Status = QHttpServerResponder::StatusCode;

constexpr int kTickMs = 250;
constexpr int kPingTicks = 4; // a ping a second; its answer is the browser's heartbeat
constexpr std::uint64_t kQuietPushMs = 1000; // pushed at least this often, even with no cycle
constexpr qint64 kHistoryStepMs = 1000;
constexpr qint64 kHistoryMs = 10 * 60 * 1000;
// A browser that reads slower than the pushes come is closed rather than buffered for.
constexpr qint64 kMaxUnsentBytes = 512 * 1024;

struct Asset {
    const char* path;
    const char* file;
    const char* type;
};
constexpr Asset kAssets[] = {{"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/index.html", ":/web/index.html", "text/html; charset=utf-8"},
    {"/panel.js", ":/web/panel.js", "text/javascript; charset=utf-8"},
    {"/panel.css", ":/web/panel.css", "text/css; charset=utf-8"}};

QByteArray ReadAsset(const char* file)
{
    QFile f(QString::fromLatin1(file));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Html(const QString& text)
{
    return text.toHtmlEscaped();
}

// The one page served without the token: it says where the token comes from and asks for it.
QByteArray LoginPage(bool wrong)
{
    QString page = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><meta name=\"viewport\" "
                                  "content=\"width=device-width, initial-scale=1\"><title>%1</title></head>"
                                  "<body style=\"font-family:sans-serif;max-width:32em;margin:2em auto;padding:0 1em\">"
                                  "<h1>%1</h1><p>%2</p>")
                       .arg(Html(ResourceString(IDS_WEB_LOGIN_TITLE)), Html(ResourceString(IDS_WEB_LOGIN_TEXT)));
    if (wrong)
        page += QStringLiteral("<p><strong>%1</strong></p>").arg(Html(ResourceString(IDS_WEB_LOGIN_WRONG)));
    page += QStringLiteral("<form method=\"get\" action=\"/\"><label>%1 <input name=\"token\" type=\"password\" "
                           "autocomplete=\"current-password\" required></label> <button>%2</button></form></body></html>")
                .arg(Html(ResourceString(IDS_WEB_LOGIN_FIELD)), Html(ResourceString(IDS_WEB_LOGIN_BUTTON)));
    return page.toUtf8();
}

bool SameOrigin(const QByteArray& origin, const QByteArray& host)
{
    return origin.isEmpty() || origin == "http://" + host;
}

QString Peer(const QHostAddress& address, quint16 port)
{
    return FormatListenAddress({address, port});
}

QJsonValue OrNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}
} // namespace

CWebServer::CWebServer(IEventHost& host, CStationPoll& poll, Options options, std::function<void(const QString&)> log)
    : m_host(host)
    , m_poll(poll)
    , m_options(std::move(options))
    , m_log(std::move(log))
    , m_control(m_options.watchdogMs)
{
    RegisterWebAssets();
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &CWebServer::OnWebSocket);
    connect(&m_tick, &QTimer::timeout, this, &CWebServer::Tick);
}

CWebServer::~CWebServer()
{
    *m_alive = false;
    Close();
}

bool CWebServer::Listen(QString* error)
{
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(m_options.address.address, m_options.address.port)) {
        *error = m_tcp->errorString();
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    bind(m_tcp);
    return true;
}

QString CWebServer::Address() const
{
    return m_tcp ? FormatListenAddress({m_tcp->serverAddress(), m_tcp->serverPort()}) : QString();
}

void CWebServer::Start()
{
    m_subscription = m_poll.Subscribe([this]() { OnCycle(); });
    m_tick.start(kTickMs);
}

void CWebServer::Close()
{
    m_tick.stop();
    if (m_subscription) {
        m_poll.Unsubscribe(m_subscription);
        m_subscription = 0;
    }
    auto clients = std::move(m_clients);
    m_clients.clear();
    for (auto& [id, client] : clients) {
        client.socket->disconnect(this);
        client.socket->close(QWebSocketProtocol::CloseCodeGoingAway);
        client.socket->deleteLater();
    }
    if (m_tcp)
        m_tcp->close();
}

void CWebServer::Answer(const QHttpServerRequest& request, QTcpSocket* socket, QHttpServerResponse&& response)
{
    // Nothing of the panel is kept by caches or shown inside another site's frame, where a
    // click could be stolen.
    response.addHeader("Cache-Control", "no-store");
    response.addHeader("X-Content-Type-Options", "nosniff");
    response.addHeader("X-Frame-Options", "DENY");
    response.write(makeResponder(request, socket));
}

bool CWebServer::Authorized(const QByteArray& authorization, const QString& queryToken, const QByteArray& cookies) const
{
    return WebAccess::SameToken(m_options.token, WebAccess::FromRequest(authorization, queryToken, cookies).token);
}

bool CWebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    const QString peer = Peer(request.remoteAddress(), socket->peerPort());
    if (!IsAllowed(m_options.allow, request.remoteAddress())) {
        m_log(FormatResource(IDS_WEB_REFUSED, peer));
        Answer(request, socket, QHttpServerResponse(Status::Forbidden));
        return true;
    }
    // The panel only reads over HTTP: every request that changes something goes over the
    // WebSocket of a page that has the token.
    if (request.method() != QHttpServerRequest::Method::Get) {
        QHttpServerResponse response(Status::MethodNotAllowed);
        response.addHeader("Allow", "GET");
        Answer(request, socket, std::move(response));
        return true;
    }
    const QString queryToken = request.query().queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded);
    const WebAccess::Presented presented
        = WebAccess::FromRequest(request.value("authorization"), queryToken, request.value("cookie"));
    const QString path = request.url().path();
    // A page of another site may open a WebSocket here, and the browser would add the cookie:
    // only the panel's own page (or a program that is not a browser) is let in.
    const bool upgrade = request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
    if (!WebAccess::SameToken(m_options.token, presented.token)
        || (upgrade && !SameOrigin(request.value("origin"), request.value("host")))) {
        m_log(FormatResource(IDS_WEB_UNAUTHORIZED, peer + QLatin1Char(' ') + path));
        QHttpServerResponse response("text/html; charset=utf-8", LoginPage(!presented.token.isEmpty()),
            Status::Unauthorized);
        response.addHeader("WWW-Authenticate", "Bearer realm=\"QRO4000\"");
        Answer(request, socket, std::move(response));
        return true;
    }
    // Taken without an answer, the upgrade is Qt's (whatever the path): the WebSocket arrives
    // in OnWebSocket.
    if (upgrade)
        return true;
    QHttpServerResponse response(Status::NotFound);
    if (path == QLatin1String("/state")) {
        QJsonObject state {{QStringLiteral("link"), m_poll.StateText()}, {QStringLiteral("fresh"), m_poll.Fresh()},
            {QStringLiteral("readings"), WebMessages::Readings(m_poll.Readings())}};
        response = QHttpServerResponse(
            "application/json", QJsonDocument(state).toJson(QJsonDocument::Compact), Status::Ok);
    } else {
        for (const Asset& asset : kAssets)
            if (path == QLatin1String(asset.path))
                response = QHttpServerResponse(asset.type, ReadAsset(asset.file), Status::Ok);
    }
    // The address the server printed carries the token once; the browser keeps it as a
    // cookie that no script can read and that no other site's request carries along.
    if (presented.fromQuery)
        response.addHeader("Set-Cookie",
            QByteArray(WebAccess::kCookieName) + '=' + presented.token + "; Path=/; HttpOnly; SameSite=Strict");
    Answer(request, socket, std::move(response));
    return true;
}

void CWebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    Answer(request, socket, QHttpServerResponse(Status::NotFound));
}

void CWebServer::OnWebSocket()
{
    while (hasPendingWebSocketConnections()) {
        QWebSocket* socket = nextPendingWebSocketConnection().release();
        socket->setParent(this);
        const QString name = Peer(socket->peerAddress(), socket->peerPort());
        const QNetworkRequest request = socket->request();
        // Checked before the upgrade already, where a refusal is answered 401; again here,
        // where the socket is taken.
        const bool sameOrigin = SameOrigin(socket->origin().toUtf8(), request.rawHeader("Host"));
        const QString queryToken = QUrlQuery(request.url()).queryItemValue(QStringLiteral("token"), QUrl::FullyDecoded);
        const char* refusal = nullptr;
        if (!IsAllowed(m_options.allow, socket->peerAddress())) {
            m_log(FormatResource(IDS_WEB_REFUSED, name));
            refusal = "not allowed";
        } else if (!sameOrigin || !Authorized(request.rawHeader("Authorization"), queryToken, request.rawHeader("Cookie"))) {
            // Answered 401 and logged already: Qt takes the socket over even so.
            refusal = "unauthorized";
        } else if (m_clients.size() >= kMaxClients) {
            m_log(FormatResource(IDS_WEB_TOO_MANY, name, unsigned(kMaxClients)));
            refusal = "too many browsers";
        }
        if (refusal) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QString::fromLatin1(refusal));
            socket->deleteLater();
            continue;
        }
        const int id = m_nextClient++;
        m_clients[id] = Client {socket, name};
        socket->setMaxAllowedIncomingMessageSize(WebMessages::kMaxRequestBytes);
        socket->setMaxAllowedIncomingFrameSize(WebMessages::kMaxRequestBytes);
        connect(socket, &QWebSocket::textMessageReceived, this, [this, id](const QString& text) { OnMessage(id, text); });
        connect(socket, &QWebSocket::pong, this, [this, id]() { m_control.Heard(id, m_host.TickCount()); });
        connect(socket, &QWebSocket::disconnected, this, [this, id]() { OnLeft(id); });
        m_log(FormatResource(IDS_WEB_CONNECTED, name));
        Send(id, Hello());
        Push();
    }
}

QString CWebServer::ClientName(int id) const
{
    const auto it = m_clients.find(id);
    return it == m_clients.end() ? QString() : it->second.name;
}

void CWebServer::OnLeft(int id)
{
    const auto it = m_clients.find(id);
    if (it == m_clients.end())
        return;
    m_log(FormatResource(IDS_WEB_LEFT, it->second.name));
    it->second.socket->deleteLater();
    m_clients.erase(it);
    m_control.Left(id);
    Push();
}

void CWebServer::OnMessage(int id, const QString& text)
{
    const std::uint64_t now = m_host.TickCount();
    m_control.Heard(id, now);
    const WebRequest request = WebMessages::ParseRequest(text.toUtf8());
    const QString name = ClientName(id);
    switch (request.kind) {
    case WebRequest::Kind::Invalid:
        return;
    case WebRequest::Kind::Control:
        if (m_control.Controller() != id && m_control.Take(id, now)) {
            m_controllerName = name;
            m_log(FormatResource(IDS_WEB_TAKES_CONTROL, name));
        }
        Push();
        return;
    case WebRequest::Kind::Release:
        if (m_control.Release(id))
            m_log(FormatResource(IDS_WEB_RELEASES_CONTROL, name));
        Push();
        return;
    default:
        break;
    }
    if (m_control.Controller() != id || !m_control.ControllerPresent()) {
        Send(id, {{QStringLiteral("t"), QStringLiteral("result")}, {QStringLiteral("ok"), false},
                     {QStringLiteral("text"), ResourceString(IDS_WEB_NOT_CONTROLLER)}});
        return;
    }
    switch (request.kind) {
    case WebRequest::Kind::Key:
        if (OperateKeys::Command(request.key).isEmpty()) {
            Send(id, {{QStringLiteral("t"), QStringLiteral("result")}, {QStringLiteral("ok"), false},
                         {QStringLiteral("text"), ResourceString(IDS_WEB_UNKNOWN_KEY)}});
            return;
        }
        Request(id, OperateKeys::Name(request.key),
            [this, key = request.key](auto done) { m_poll.PressKey(key, std::move(done)); });
        return;
    case WebRequest::Kind::Band:
        if (OperateKeys::BandCommand(static_cast<DWORD>(request.band)).isEmpty()) {
            Send(id, {{QStringLiteral("t"), QStringLiteral("result")}, {QStringLiteral("ok"), false},
                         {QStringLiteral("text"), ResourceString(IDS_OP_BAND28_UNKNOWN)}});
            return;
        }
        Request(id, OperateKeys::BandLabel(request.band) + QStringLiteral(" MHz"),
            [this, band = request.band](auto done) { m_poll.SelectBand(band, std::move(done)); });
        return;
    case WebRequest::Kind::Power:
        Request(id, ResourceString(request.on ? IDS_WEB_POWER_ON : IDS_WEB_POWER_OFF),
            [this, on = request.on](auto done) { m_poll.SetPower(on, std::move(done)); });
        return;
    default:
        return;
    }
}

void CWebServer::Request(int id, const QString& what, std::function<void(std::function<void(DWORD)>)> ask)
{
    m_log(FormatResource(IDS_WEB_REQUEST, ClientName(id), what));
    ask([this, alive = std::weak_ptr<bool>(m_alive), id, what](DWORD result) {
        if (alive.expired() || !*alive.lock())
            return;
        const QString text = result == 0 ? FormatResource(IDS_WEB_DONE, what)
                                         : FormatResource(IDS_WEB_REQUEST_FAILED, what, ErrorCodeLine(result));
        if (result != 0)
            m_log(text);
        Send(id, {{QStringLiteral("t"), QStringLiteral("result")}, {QStringLiteral("ok"), result == 0},
                     {QStringLiteral("text"), text}});
    });
}

void CWebServer::Send(int id, const QJsonObject& message)
{
    const auto it = m_clients.find(id);
    if (it == m_clients.end())
        return;
    QWebSocket* socket = it->second.socket;
    if (socket->bytesToWrite() > kMaxUnsentBytes) {
        socket->abort(); // its disconnected signal forgets it
        return;
    }
    socket->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

QJsonObject CWebServer::Hello() const
{
    QJsonObject texts;
    const std::pair<const char*, unsigned> ids[] = {{"title", IDS_WEB_PAGE_TITLE}, {"connecting", IDS_WEB_CONNECTING},
        {"disconnected", IDS_WEB_DISCONNECTED}, {"notCurrent", IDS_WEB_NOT_CURRENT}, {"controlYou", IDS_WEB_CONTROL_YOU},
        {"controlOther", IDS_WEB_CONTROL_OTHER}, {"controlNone", IDS_WEB_CONTROL_NONE},
        {"take", IDS_WEB_TAKE_CONTROL}, {"release", IDS_WEB_RELEASE_CONTROL}, {"powerOn", IDS_WEB_POWER_ON},
        {"powerOff", IDS_WEB_POWER_OFF}, {"operate", IDS_WEB_OPERATE}, {"standby", IDS_WEB_STANDBY},
        {"noFault", IDS_WEB_NO_FAULT}, {"keys", IDS_WEB_KEYS}, {"band", IDS_WEB_BAND}, {"antenna", IDS_WEB_ANTENNA},
        {"fault", IDS_WEB_FAULT}, {"power", IDS_WEB_POWER}, {"modeNote", IDS_WEB_NO_MODE_CONTROL},
        {"viewers", IDS_WEB_VIEWERS}, {"off", IDS_WEB_OFF}, {"forward", IDS_OP_FORWARD},
        {"reflected", IDS_OP_REFLECTED}, {"input", IDS_OP_INPUT}, {"swr", IDS_OP_SWR}, {"paCurrent", IDS_OP_PA_CURRENT},
        {"paVoltage", IDS_OP_PA_VOLTAGE}, {"temperature", IDS_OP_TEMPERATURE}, {"frequency", IDS_OP_FREQUENCY},
        {"unitA", IDS_OP_UNIT_AMPERES}, {"unitV", IDS_OP_UNIT_VOLTS}, {"unitKHz", IDS_OP_UNIT_KILOHERTZ},
        {"history", IDS_OP_GROUP_HISTORY}, {"meters", IDS_OP_GROUP_METERS}, {"panel", IDS_OP_GROUP_PANEL},
        {"seriesForward", IDS_OP_SERIES_FORWARD}, {"seriesSwr", IDS_OP_SERIES_SWR},
        {"seriesTemperature", IDS_OP_SERIES_TEMPERATURE}, {"notLive", IDS_OP_TIP_NOT_LIVE}};
    for (const auto& [name, id] : ids)
        texts.insert(QLatin1String(name), ResourceString(id));
    const unsigned seconds = static_cast<unsigned>(m_control.WatchdogMs() / 1000);
    texts.insert(QStringLiteral("watchdog"),
        m_control.WatchdogOn() ? FormatResource(IDS_WEB_WATCHDOG_ON, seconds) : ResourceString(IDS_WEB_WATCHDOG_DISABLED));
    QJsonArray keys;
    for (int k = 0; k < OperateKeys::kKeyCount; ++k) {
        const auto key = static_cast<OperateKey>(k);
        if (key != OperateKey::Band)
            keys.append(QJsonObject {{QStringLiteral("name"), OperateKeys::Name(key)},
                {QStringLiteral("known"), !OperateKeys::Command(key).isEmpty()}});
    }
    QJsonArray bands;
    for (int band = 0; band < OperateKeys::kBandCount; ++band)
        bands.append(QJsonObject {{QStringLiteral("label"), OperateKeys::BandLabel(band)},
            {QStringLiteral("known"), !OperateKeys::BandCommand(static_cast<DWORD>(band)).isEmpty()}});
    QJsonObject scales;
    // The desktop program's scales; the SWR marks follow the amplifier's thresholds, sent with
    // each state.
    for (const OperateDerived::MeterScale& s : OperateDerived::kMeterScales)
        scales.insert(QLatin1String(s.name), QJsonArray {s.minimum, s.maximum, s.caution, s.danger});
    QJsonArray history;
    for (const QJsonArray& point : m_history)
        history.append(point);
    return {{QStringLiteral("t"), QStringLiteral("hello")}, {QStringLiteral("texts"), texts},
        {QStringLiteral("keys"), keys}, {QStringLiteral("bands"), bands}, {QStringLiteral("scales"), scales},
        {QStringLiteral("watchdog"), static_cast<double>(seconds)}, {QStringLiteral("history"), history}};
}

void CWebServer::OnCycle()
{
    const OperateSnapshot& r = m_poll.Readings();
    const qint64 at = r.at.toMSecsSinceEpoch();
    if (m_poll.Fresh() && r.at.isValid() && at - m_lastHistory >= kHistoryStepMs) {
        m_lastHistory = at;
        m_history.push_back(QJsonArray {static_cast<double>(at),
            r.forwardW ? QJsonValue(static_cast<double>(*r.forwardW)) : QJsonValue(),
            r.swrTenths && *r.swrTenths >= 10 ? QJsonValue(*r.swrTenths / 10.0) : QJsonValue(),
            r.temperatureC ? QJsonValue(static_cast<double>(*r.temperatureC)) : QJsonValue()});
        while (!m_history.empty() && at - static_cast<qint64>(m_history.front()[0].toDouble()) > kHistoryMs)
            m_history.pop_front();
        m_newPoint = true;
    }
    Push();
}

void CWebServer::Push()
{
    m_lastPush = m_host.TickCount();
    const OperateSnapshot& r = m_poll.Readings();
    const OperateDerived::SwrZones swr = OperateDerived::SwrScale(m_poll.Model());
    QJsonObject state {{QStringLiteral("t"), QStringLiteral("state")}, {QStringLiteral("link"), m_poll.StateText()},
        {QStringLiteral("contact"), m_poll.State() == CStationPoll::Link::InContact},
        {QStringLiteral("fresh"), m_poll.Fresh()},
        {QStringLiteral("at"), OrNull(r.at.isValid() ? r.at.toString(QStringLiteral("HH:mm:ss")) : QString())},
        {QStringLiteral("r"), WebMessages::Readings(r)},
        {QStringLiteral("swrMarks"), QJsonArray {swr.caution, swr.danger}},
        {QStringLiteral("browsers"), static_cast<double>(m_clients.size())},
        {QStringLiteral("controller"), OrNull(m_control.ControllerPresent() ? m_controllerName : QString())}};
    if (m_newPoint && !m_history.empty())
        state.insert(QStringLiteral("point"), m_history.back());
    m_newPoint = false;
    const int controller = m_control.ControllerPresent() ? m_control.Controller() : 0;
    std::vector<int> ids;
    for (const auto& [id, client] : m_clients)
        ids.push_back(id);
    for (int id : ids) {
        state.insert(QStringLiteral("control"),
            controller == id ? QStringLiteral("you") : controller ? QStringLiteral("other") : QStringLiteral("none"));
        Send(id, state);
    }
}

void CWebServer::Tick()
{
    const std::uint64_t now = m_host.TickCount();
    if (++m_ticks % kPingTicks == 0) {
        // A socket that fails may leave the list while it is being pinged.
        std::vector<QWebSocket*> sockets;
        for (const auto& [id, client] : m_clients)
            sockets.push_back(client.socket);
        for (QWebSocket* socket : sockets)
            socket->ping();
    }
    if (now - m_lastPush >= kQuietPushMs)
        Push();
    const bool operate = m_poll.Readings().operate.value_or(false);
    const CWebControl::Verdict verdict = m_control.Check(now, operate);
    if (verdict == CWebControl::Verdict::None)
        return;
    const unsigned seconds = static_cast<unsigned>(m_control.SilenceLimitMs() / 1000);
    if (verdict == CWebControl::Verdict::Dropped) {
        m_log(FormatResource(IDS_WEB_SILENT, m_controllerName, seconds));
    } else {
        // The controlling operator cannot see the amplifier any more: it must not stay in
        // operate with nobody watching. Off is the one state that can be asked and verified.
        m_log(FormatResource(IDS_WEB_WATCHDOG_OFF, m_controllerName, seconds));
        m_poll.SetPower(false, [this, alive = std::weak_ptr<bool>(m_alive)](DWORD result) {
            if (alive.expired() || !*alive.lock())
                return;
            m_log(result == 0 ? ResourceString(IDS_WEB_WATCHDOG_DONE)
                              : FormatResource(IDS_WEB_WATCHDOG_FAILED, ErrorCodeLine(result)));
            if (result != 0)
                m_control.SwitchOffFailed(m_host.TickCount());
        });
    }
    Push();
}
