#include "station/hamlib/HamlibSession.h"
#include "Version.h"
#include "link/DestructiveCommands.h"
#include "maintenance/FaultEntry.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "station/LineCommand.h"
#include "station/StationPoll.h"
#include "station/hamlib/HamlibStringIds.h"
#include <QTcpSocket>

using namespace Hamlib;

namespace {
// The levels this amplifier reports, as "l ?" lists them (with ampctld's trailing space).
const QByteArray kLevels = "SWR PWRINPUT PWRFORWARD PWRREFLECTED FAULT WARNING TEMP_METER VD_METER ID_METER ";
// Hamlib's power status numbers.
constexpr int kPowerOff = 0, kPowerOn = 1, kPowerStandby = 2, kPowerOperate = 4;
// Bytes the socket reads ahead of the lines: with a request outstanding the client's further
// lines wait in its own send buffer rather than in this server.
constexpr qint64 kReadAhead = 4096;

QByteArray Float(double value)
{
    return QByteArray::number(value, 'f', 6);
}

Code FromResult(DWORD result)
{
    switch (result) {
    case Result::Success:
        return Ok;
    case Result::AmplifierOff:
        return PowerOff;
    case Result::RequestNotTaken:
        return Rejected;
    case Result::Timeout:
    case Result::RemoteTimeout:
        return Timeout;
    default:
        return IoError;
    }
}

QList<Item> Caps()
{
    const QByteArray version = QByteArray::number(QRO_VERSION_MAJOR) + '.' + QByteArray::number(QRO_VERSION_MINOR) + '.'
        + QByteArray::number(QRO_VERSION_PATCH);
    const QByteArray lines[] = {"Caps dump for model:\tQRO4000", "Model name:\t\tQRO4000", "Mfg name:\t\tBrimwell",
        "Backend version:\t" + version, "Backend status:\t\tStable", "Amp type:\t\tOther", "Port type:\t\tNetwork",
        "Get level: " + kLevels, "Can Reset:\t\tY (2: fault reset)", "Can get Info:\t\tY", "Can get Power Status:\tY",
        "Can set Power Status:\tY (0: off, 1: on)", "", "Overall backend warnings: 0"};
    QList<Item> items;
    for (const QByteArray& line : lines)
        items.append(Item {{}, line});
    return items;
}
} // namespace

CHamlibSession::CHamlibSession(std::unique_ptr<QTcpSocket> socket, CStationPoll& poll, CLineArbiter* arbiter,
    std::function<void(const QString&)> log)
    : m_socket(std::move(socket))
    , m_poll(poll)
    , m_arbiter(arbiter)
    , m_log(std::move(log))
{
    m_name = QStringLiteral("%1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort());
    m_socket->setReadBufferSize(kReadAhead);
    m_rawTimer.setSingleShot(true);
    connect(&m_rawTimer, &QTimer::timeout, this, [this]() { RawAnswered(Timeout); });
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &CHamlibSession::ProcessInput);
    connect(m_socket.get(), &QTcpSocket::disconnected, this, &CHamlibSession::End);
    // The end of a client's input is not the end of its session: its answers go out first.
    connect(m_socket.get(), &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            End();
    });
    // What the client sent before the session existed is signalled no more.
    QMetaObject::invokeMethod(this, &CHamlibSession::ProcessInput, Qt::QueuedConnection);
}

CHamlibSession::~CHamlibSession()
{
    *m_alive = false;
    if (m_arbiterId != 0)
        m_arbiter->RemoveClient(m_arbiterId);
}

void CHamlibSession::Close()
{
    m_socket->abort();
    End();
}

void CHamlibSession::End()
{
    if (m_ended)
        return;
    m_ended = true;
    m_rawTimer.stop();
    emit Finished(this);
}

void CHamlibSession::CutOff(unsigned textId)
{
    if (m_log)
        m_log(FormatResource(textId, m_name, static_cast<unsigned>(kMaxLine)));
    Close();
}

void CHamlibSession::ProcessInput()
{
    while (!m_ended && !m_waiting) {
        const QByteArray ahead = m_socket->peek(kMaxLine + 1);
        const qsizetype newline = ahead.indexOf('\n');
        if (newline < 0) {
            if (ahead.size() > kMaxLine) {
                m_socket->write("RPRT -1\n");
                m_socket->flush();
                CutOff(IDS_HAMLIB_LINE_TOO_LONG);
                return;
            }
            m_socket->setReadBufferSize(kReadAhead);
            return;
        }
        Execute(Parse(ahead.first(newline)));
        if (!m_waiting) {
            m_socket->skip(newline + 1);
            continue;
        }
        // The line stays in the socket until it is answered, and the socket reads no more
        // meanwhile: a client that has closed its side ("nc -q1") would otherwise be taken for
        // gone before its answer could go out.
        m_heldLine = newline + 1;
        m_socket->setReadBufferSize(1);
    }
}

void CHamlibSession::Answered()
{
    m_waiting = false;
    m_socket->skip(m_heldLine);
    m_heldLine = 0;
    // The lines behind it come first, the end of the client's input after them.
    QMetaObject::invokeMethod(this, &CHamlibSession::ProcessInput, Qt::QueuedConnection);
}

void CHamlibSession::Answer(const Request& request, const QList<Item>& items, Code code)
{
    if (m_ended)
        return;
    m_socket->write(Format(request, items, code));
    // Out at once: a client that has closed its side ("nc -q1") would otherwise lose the answer
    // when the socket sees the end of its input.
    m_socket->flush();
    if (m_socket->bytesToWrite() > kMaxUnsent) {
        if (m_log)
            m_log(FormatResource(IDS_HAMLIB_DOES_NOT_READ, m_name));
        Close();
    }
}

Code CHamlibSession::Unread() const
{
    switch (m_poll.State()) {
    case CStationPoll::Link::Busy:
        return Rejected;
    case CStationPoll::Link::Lost:
        return IoError;
    case CStationPoll::Link::Searching:
        return NotAvailable;
    case CStationPoll::Link::InContact:
        break;
    }
    if (m_poll.Fresh() && m_poll.Readings().powerOn == false)
        return PowerOff;
    return NotAvailable;
}

bool CHamlibSession::Current() const
{
    return m_poll.Fresh();
}

void CHamlibSession::Execute(const Request& request)
{
    if (request.command == Command::Empty)
        return;
    if (request.command == Command::Quit) {
        m_waiting = true; // nothing more is read: the connection ends once the answers are out
        m_socket->disconnectFromHost();
        return;
    }
    if (request.error != Ok || request.command == Command::Unknown)
        return Answer(request, {}, request.error == Ok ? InvalidParameter : request.error);
    const OperateSnapshot& now = m_poll.Readings();
    switch (request.command) {
    case Command::DumpState:
        // Hamlib's network client reads the protocol version first.
        if (request.extended)
            return Answer(request, {{"ampctld Protocol Ver", "0"}, {"Amplifier Model", "QRO4000"}}, Ok);
        return Answer(request, {{{}, "0"}}, Ok);
    case Command::DumpCaps:
        return Answer(request, Caps(), Ok);
    case Command::GetInfo: {
        const unsigned serial = m_poll.SerialNumber();
        const unsigned revision = m_poll.FirmwareRevision();
        if (m_poll.State() == CStationPoll::Link::Busy || serial == 0 || serial == kNoSerialNumber || revision == 0)
            return Answer(request, {}, m_poll.State() == CStationPoll::Link::Busy ? Rejected : NotAvailable);
        return Answer(request,
            {{"Info",
                QStringLiteral("Brimwell QRO4000, serial number %1, firmware %2.%3")
                    .arg(serial)
                    .arg(revision / 100, 2, 10, QLatin1Char('0'))
                    .arg(revision % 100, 2, 10, QLatin1Char('0'))
                    .toLatin1()}},
            Ok);
    }
    case Command::GetFreq:
        if (!Current() || !now.frequencyKhz)
            return Answer(request, {}, Unread());
        return Answer(request, {{"Frequency(Hz)", QByteArray::number(quint64 {*now.frequencyKhz} * 1000)}}, Ok);
    case Command::GetLevel:
        return Level(request);
    case Command::SetLevel:
        // The amplifier has no level to set.
        return Answer(request, {}, IsLevelName(request.args[0]) ? NotAvailable : InvalidParameter);
    case Command::SetFreq: {
        bool number = false;
        request.args[0].toDouble(&number);
        return Answer(request, {}, number ? NotAvailable : InvalidParameter);
    }
    case Command::GetPowerstat:
        return PowerStatus(request);
    case Command::SetPowerstat: {
        bool number = false;
        const int status = request.args[0].toInt(&number);
        if (number && (status == kPowerOff || status == kPowerOn))
            return Ask(request, [this, on = status == kPowerOn](auto done) { m_poll.SetPower(on, std::move(done)); });
        // Standby and operate have a key that toggles: never pressed on a guess.
        return Answer(request, {},
            number && (status == kPowerStandby || status == kPowerOperate) ? NotAvailable : InvalidParameter);
    }
    case Command::Reset: {
        bool number = false;
        const int kind = request.args[0].toInt(&number);
        if (number && kind == 2)
            return Ask(request, [this](auto done) { m_poll.PressKey(OperateKey::Reset, std::move(done)); });
        // A tuner memory reset (1) and an amplifier reset (3) have no command here.
        return Answer(request, {}, number && (kind == 1 || kind == 3) ? NotAvailable : InvalidParameter);
    }
    case Command::SendCmd:
        return SendRaw(request);
    case Command::Empty:
    case Command::Unknown:
    case Command::Quit:
        break;
    }
}

void CHamlibSession::Level(const Request& request)
{
    const QByteArray& name = request.args[0];
    if (name == "?")
        return Answer(request, {{{}, kLevels}}, Ok);
    if (!IsLevelName(name))
        return Answer(request, {}, InvalidParameter);
    if (!kLevels.contains(name + ' '))
        return Answer(request, {}, NotAvailable); // PWRPEAK, NH, PF, PWR, SWR_TUNER: not this amplifier's
    const OperateSnapshot& now = m_poll.Readings();
    std::optional<QByteArray> value;
    if (name == "SWR" && now.swrTenths && *now.swrTenths >= 10 && *now.swrTenths <= 999)
        value = Float(*now.swrTenths / 10.0);
    else if (name == "PWRFORWARD" && now.forwardW)
        value = QByteArray::number(*now.forwardW);
    else if (name == "PWRREFLECTED" && now.reflectedW)
        value = QByteArray::number(*now.reflectedW);
    else if (name == "PWRINPUT" && now.inputW)
        value = QByteArray::number(*now.inputW);
    else if (name == "FAULT" && now.faultCode)
        value = *now.faultCode == 0 ? QByteArray("No Fault")
                                    : QByteArray::number(*now.faultCode, 16).rightJustified(2, '0').toUpper() + " - "
                + FaultLog::FaultName(static_cast<BYTE>(*now.faultCode)).toLatin1();
    else if (name == "WARNING" && now.overdriveCode)
        value = *now.overdriveCode == 0
            ? QByteArray("No Warning")
            : "Overdrive " + QByteArray::number(*now.overdriveCode, 16).rightJustified(2, '0').toUpper();
    else if (name == "TEMP_METER" && now.temperatureC)
        value = Float(*now.temperatureC);
    else if (name == "VD_METER" && now.paVoltageMv)
        value = Float(*now.paVoltageMv / 1000.0);
    else if (name == "ID_METER" && now.paCurrentA)
        value = Float(*now.paCurrentA);
    if (!value || !Current())
        return Answer(request, {}, Unread());
    Answer(request, {{{}, *value}}, Ok);
}

void CHamlibSession::PowerStatus(const Request& request)
{
    const OperateSnapshot& now = m_poll.Readings();
    if (!Current() || !now.powerOn)
        return Answer(request, {}, Unread());
    int status = kPowerOff;
    if (*now.powerOn)
        status = !now.operate ? kPowerOn : (*now.operate ? kPowerOperate : kPowerStandby);
    Answer(request, {{"Power Status", QByteArray::number(status)}}, Ok);
}

void CHamlibSession::Ask(const Request& request, const std::function<void(std::function<void(DWORD)>)>& ask)
{
    switch (m_poll.State()) {
    case CStationPoll::Link::Busy:
        return Answer(request, {}, Rejected);
    case CStationPoll::Link::Lost:
    case CStationPoll::Link::Searching:
        return Answer(request, {}, IoError);
    case CStationPoll::Link::InContact:
        break;
    }
    m_waiting = true;
    ask([this, alive = std::weak_ptr<bool>(m_alive), request](DWORD result) {
        if (alive.expired())
            return;
        Answer(request, {}, FromResult(result));
        Answered();
    });
}

void CHamlibSession::SendRaw(const Request& request)
{
    QByteArray command = request.args[0];
    if (!command.endsWith(';'))
        command += ';';
    const QString text = QString::fromLatin1(command);
    QString destructive;
    const LineCommand::Rule rule = LineCommand::Classify(command, false);
    // A raw command that changes the line for everyone (boot loader, power, speed) has its own
    // way here or none; one that cannot be undone is never sent for a network client.
    if (m_arbiter == nullptr || DestructiveCommands::Warning(text, &destructive) != 0
        || rule.effect != LineCommand::Effect::None) {
        if (m_log)
            m_log(FormatResource(IDS_HAMLIB_RAW_REFUSED, m_name, text,
                m_arbiter == nullptr ? QStringLiteral("--hamlib-raw is not given")
                                     : (destructive.isEmpty() ? QStringLiteral("it changes the line") : destructive)));
        return Answer(request, {}, Security);
    }
    if (LineCommand::CommandLength(command) != command.size())
        return Answer(request, {}, InvalidParameter);
    if (m_arbiterId == 0)
        m_arbiterId = m_arbiter->AddClient(this, FormatResource(IDS_HAMLIB_RAW_CLIENT, m_name));
    if (m_arbiter->BusyFor(m_arbiterId) != LineLease::None)
        return Answer(request, {}, Rejected);
    if (m_log)
        m_log(FormatResource(IDS_HAMLIB_RAW_COMMAND, m_name, text));
    if (!m_arbiter->Submit(m_arbiterId, command))
        return Answer(request, {}, IoError);
    if (!rule.answered)
        return Answer(request, {}, Ok);
    m_raw = request;
    m_rawAnswer.clear();
    m_waiting = true;
    // The arbiter waits rule.waitMs once the command is out; others' commands may go first.
    m_rawTimer.start(static_cast<int>(rule.waitMs) * 3);
}

void CHamlibSession::OnLineData(const QByteArray& bytes)
{
    if (!m_waiting || !m_rawTimer.isActive())
        return;
    m_rawAnswer += bytes;
    if (m_rawAnswer.contains(';'))
        RawAnswered(Ok);
}

void CHamlibSession::RawAnswered(Code code)
{
    m_rawTimer.stop();
    const QByteArray answer = m_rawAnswer.left(m_rawAnswer.indexOf(';') + 1);
    Answer(m_raw, code == Ok ? QList<Item> {{"Reply", answer}} : QList<Item> {}, code);
    Answered();
}
