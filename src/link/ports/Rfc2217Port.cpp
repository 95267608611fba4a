#include "link/ports/Rfc2217Port.h"
#include "model/RemoteStringIds.h"
#include "link/SharedLineStringIds.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"

using namespace Telnet;

bool CRfc2217Port::StartSession()
{
    m_decoder = {};
    m_options = CTelnetOptions({kBinary, kSuppressGoAhead, kComPort}, {kBinary, kSuppressGoAhead});
    m_speedReported = false;
    m_speedUnconfirmed = false;
    m_signature.clear();
    m_busyReason.clear();
    m_stage = Stage::ComPort;
    m_stageDeadline = QDeadlineTimer(AnswerTimeoutMs());
    const QByteArray hello = m_options.EnableLocal(kBinary) + m_options.EnableRemote(kBinary)
        + m_options.EnableLocal(kSuppressGoAhead) + m_options.EnableRemote(kSuppressGoAhead)
        + m_options.EnableLocal(kComPort);
    return SendBytes(hello);
}

DWORD CRfc2217Port::AdvanceSession()
{
    if (m_stage == Stage::ComPort) {
        // A server that never agrees to the COM-PORT-OPTION is no RFC 2217 server.
        if (!m_options.IsLocalSettled(kComPort))
            return m_stageDeadline.hasExpired() ? Result::RemoteNoPortControl : Result::IoPending;
        if (!m_options.IsLocalEnabled(kComPort))
            return Result::RemoteNoPortControl;
        const QByteArray lineSettings = ComPortRequest(kSetDataSize, std::uint8_t {8})
            + ComPortRequest(kSetParity, kParityNone) + ComPortRequest(kSetStopSize, kStopBitsOne)
            + ComPortRequest(kSetControl, kControlNoFlowControl) + ComPortRequest(kSetControl, kControlDtrOff)
            + ComPortRequest(kSetControl, kControlRtsOff)
            // Asks the server to name itself: a station server says so, and says when the line
            // is busy. The answer is not waited for (many servers never give one); it comes
            // before the speed report that is.
            + ComPortRequest(kSignature, QByteArrayView()) + SetBaudRateRequest(m_speed);
        m_speedReported = false;
        if (!SendBytes(lineSettings))
            return LastError();
        m_stage = Stage::Speed;
        m_stageDeadline = QDeadlineTimer(AnswerTimeoutMs());
        return Result::IoPending;
    }
    // A server whose port cannot run at the opening speed still opens: the speed search moves
    // on to the speeds it can.
    if (m_speedReported)
        return 0;
    if (!m_stageDeadline.hasExpired())
        return Result::IoPending;
    // The server owes an answer; one that never gives it is not waited for again.
    m_speedUnconfirmed = true;
    ReportStatus(FormatResource(IDS_REMOTE_SPEED_UNCONFIRMED, HostAndPort(Address()), m_speed));
    return 0;
}

bool CRfc2217Port::RequestSpeed(DWORD bitsPerSecond)
{
    m_speedReported = false;
    if (!SendBytes(SetBaudRateRequest(bitsPerSecond)))
        return false;
    if (m_speedUnconfirmed)
        return true;
    if (!WaitForServer([this]() { return m_speedReported; })) {
        if (LastError() == Result::RemoteConnectionLost || !IsOpen())
            return Fail(Result::RemoteConnectionLost);
        // The server owes an answer; one that never gives it is not waited for again.
        m_speedUnconfirmed = true;
        ReportStatus(FormatResource(IDS_REMOTE_SPEED_UNCONFIRMED, HostAndPort(Address()), bitsPerSecond));
        return true;
    }
    if (m_reportedSpeed != bitsPerSecond)
        return Fail(Result::RemoteSpeedRefused);
    return true;
}

bool CRfc2217Port::ApplySpeed(DWORD bitsPerSecond)
{
    if (RequestSpeed(bitsPerSecond))
        return true;
    // A speed the server's port refuses still counts as the one tried, so that the speed
    // search goes on to the next instead of asking for this one again.
    if (LastError() == Result::RemoteSpeedRefused)
        m_speed = bitsPerSecond;
    return false;
}

bool CRfc2217Port::PurgeServer()
{
    return SendBytes(ComPortRequest(kPurgeData, kPurgeReceiveBuffer));
}

QByteArray CRfc2217Port::Frame(const QByteArray& data)
{
    return EscapeData(data, m_options.IsLocalEnabled(kBinary));
}

void CRfc2217Port::TakeReceived(const QByteArray& bytes, QByteArray* data)
{
    std::vector<Event> events;
    Decode(m_decoder, bytes, m_options.IsRemoteEnabled(kBinary), data, &events);
    for (const Event& event : events) {
        if (event.kind == Event::Kind::Negotiation) {
            QueueBytes(m_options.Receive(event.verb, event.option));
            continue;
        }
        std::uint8_t command = 0;
        QByteArray value;
        std::uint32_t speed = 0;
        if (ParseComPortReply(event, &command, &value) && command == kServerOffset + kSetBaudRate
            && ParseBaudRate(value, &speed)) {
            m_reportedSpeed = speed;
            m_speedReported = true;
        } else if (command == kServerOffset + kSignature) {
            TakeSignature(QString::fromUtf8(value));
        }
        // Line and modem state notices, and the answers to the other requests, change nothing
        // here: the amplifier's answers tell whether the line works.
    }
}

QString CRfc2217Port::SharedThrough() const
{
    return m_signature.isEmpty() ? QString() : HostAndPort(Address());
}

void CRfc2217Port::TakeSignature(const QString& signature)
{
    // A station server shares the amplifier with other programs: its user learns it once, and
    // learns why no answers come while another program has the line, so that a busy line is
    // not taken for a lost amplifier.
    static const QString kStationServer = QStringLiteral("QRO4000 station server");
    static const QString kBusy = QStringLiteral("busy: ");
    if (!signature.startsWith(kStationServer))
        return;
    const qsizetype busy = signature.indexOf(kBusy);
    const QString reason = busy < 0 ? QString() : signature.mid(busy + kBusy.size());
    if (m_signature.isEmpty())
        ReportStatus(FormatResource(IDS_SHARED_THROUGH, HostAndPort(Address())));
    if (reason != m_busyReason)
        ReportStatus(reason.isEmpty() ? FormatResource(IDS_SHARED_FREE, HostAndPort(Address()))
                                      : FormatResource(IDS_SHARED_BUSY, HostAndPort(Address()), reason));
    const bool changed = m_signature.isEmpty() || reason != m_busyReason;
    m_signature = signature;
    m_busyReason = reason;
    if (changed)
        Post([this]() {
            if (m_sharingNotify)
                m_sharingNotify();
        });
}
