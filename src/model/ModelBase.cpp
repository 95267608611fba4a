#include "model/ModelBase.h"
#include "model/ConnectionStringIds.h"
#include "model/ContactStateMachineInterface.h"
#include "model/LinkStringIds.h"
#include "model/RemotePortName.h"
#include "model/RemoteStringIds.h"
#include "model/DeviceName.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDir>
#include <QStandardPaths>

CModelBase::CModelBase(IEventHost& host, std::unique_ptr<ISettingsStore> store)
    : m_host(host),
      m_store(std::move(store)),
      m_dispatcher(
          host, [this]() -> IStateMachine* { return m_contactMachine.get(); },
          [this]() -> IStateMachine* { return m_runningMachine; })
{
    m_persistentValues = {&m_activePage,       &m_advancedMode,          &m_commandCaptions, &m_commandTexts,
                          &m_configurationFolder, &m_firmwareFolder,     &m_firmwareLoadRetryLimit,
                          &m_loaderFlags,      &m_port,                  &m_trace,           &m_verboseLogging};
}

CModelBase::~CModelBase()
{
    if (m_runningMachine) {
        IStateMachine* machine = m_runningMachine;
        m_runningMachine = nullptr;
        delete machine;
    }
    if (m_serialPort)
        m_serialPort->Close();
}

void CModelBase::ResetDeviceValues()
{
    m_firmwareRevision.Set(0);
    m_serialNumber.Set(kNoSerialNumber);
    if (m_firmwareStatus.m_value != FirmwareNone)
        m_firmwareStatus.Set(FirmwareNone);
}

bool CModelBase::IdentifyDevice(const CString& response, int* kind)
{
    struct Name {
        const char* text;
        BRIMWELLDEVICE device;
        bool application;
    };
    // Search order matters: a response holding both "RX5" and "QRO4000" is an RX5.
    static const Name kNames[] = {
        {"RX5", DeviceRX5, false},        {"RX4", DeviceRX4, false},       {"LDA0100", DeviceLDA0100, true},
        {"lda0100", DeviceLDA0100, false}, {"QRO800", DeviceQRO800, false}, {"ATU800", DeviceATU800, true},
        {"atu800", DeviceATU800, false},  {"R5A", DeviceR5, false},        {"R5B", DeviceR5, false},
        {"q9", DeviceQ9, false},          {"Q9", DeviceQ9, true},          {"QX9", DeviceQX9, true},
        {"qx9", DeviceQX9, false},        {"QRO4000", DeviceQRO4000, true}, {"qro4000", DeviceQRO4000, false},
    };
    for (const Name& n : kNames) {
        if (response.contains(QLatin1String(n.text), Qt::CaseSensitive)) {
            m_device.Set(n.device);
            if (kind)
                *kind = n.application ? FirmwareApplication : FirmwareBootLoader;
            return true;
        }
    }
    return false;
}

void CModelBase::LoadSettings()
{
    for (IPersistentValue* value : m_persistentValues)
        value->Load(*m_store);
    for (unsigned i = 0; i < 32; ++i) {
        if (m_commandCaptions.m_values[i].isEmpty())
            m_commandCaptions.Set(i, FormatResource(IDS_MACRO_CAPTION, i + 1));
    }
    const QString firmwareDefault = DefaultFirmwareFolder();
    if (m_firmwareFolder.m_value.isEmpty())
        m_firmwareFolder.Set(firmwareDefault);
}

bool CModelBase::SaveSettings()
{
    for (IPersistentValue* value : m_persistentValues)
        value->Save(*m_store);
    return true;
}

QString CModelBase::ApplicationDataFolder() const
{
    if (!m_appDataOverride.isEmpty())
        return m_appDataOverride;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder;
}

QString CModelBase::DefaultFolder(const QString& leafFormat) const
{
    QString base = ApplicationDataFolder();
    if (base.isEmpty())
        return {};
    while (base.size() > 1 && (base.endsWith('/') || base.endsWith('\\')))
        base.chop(1);
    base += "/Brimwell";
    QDir().mkpath(base);
    const QString folder = base + '/' + Fmt(leafFormat, ProductName());
    QDir().mkpath(folder);
    return QDir::toNativeSeparators(folder);
}

QString CModelBase::DefaultFirmwareFolder() const
{
    return DefaultFolder("%s Firmware");
}

QString CModelBase::DefaultConfigurationFolder() const
{
    return DefaultFolder("%s Configuration");
}

QByteArray CModelBase::SpeedCommand(DWORD bitsPerSecond)
{
    static const DWORD kSpeeds[] = {4800, 9600, 19200, 38400, 57600, 115200, 230400};
    for (int i = 0; i < 7; ++i)
        if (kSpeeds[i] == bitsPerSecond)
            return QByteArray("^BR") + QByteArray::number(i) + ';';
    return {};
}

bool CModelBase::ChangeSpeed(DWORD bitsPerSecond)
{
    if (m_firmwareStatus.m_value != FirmwareApplication)
        return false;
    const QByteArray command = SpeedCommand(bitsPerSecond);
    if (command.isEmpty())
        return false;
    const bool written = SendCommand(QString::fromLatin1(command));
    if (m_serialPort)
        m_serialPort->Settle(50);
    return written;
}

bool CModelBase::OpenPort(const QString& name, bool quiet)
{
    if (m_serialPort && m_serialPort->IsOpen()) {
        m_serialPortState.Set(1);
        return true;
    }
    if (!m_serialPort || m_serialPort->Name() != name) {
        // Another port, maybe another amplifier: nothing known of the old one carries over.
        if (m_serialPort)
            ResetDeviceValues();
        m_serialPort.reset();
        if (m_portFactory)
            m_serialPort = m_portFactory(name);
        if (!m_serialPort) {
            m_serialPortState.Set(0);
            return false;
        }
        m_serialPort->SetNotify([this]() { m_dispatcher.OnCommEvent(); });
        m_serialPort->SetFailureNotify([this]() { OnPortFailed(); });
        m_serialPort->SetSharingNotify([this]() { UpdateSharing(); });
    }
    if (m_portLost.m_value != 0)
        m_portLost.Set(0);
    const bool open = m_serialPort->Open(name, quiet);
    m_serialPortState.Set(open ? 1 : 0);
    UpdateSharing();
    return open;
}

void CModelBase::UpdateSharing()
{
    const bool open = IsPortOpen();
    const QString through = open ? m_serialPort->SharedThrough() : QString();
    const QString busy = open ? m_serialPort->BusyReason() : QString();
    if (through != m_sharedThrough.m_value)
        m_sharedThrough.Set(through);
    if (busy != m_lineBusy.m_value)
        m_lineBusy.Set(busy);
}

void CModelBase::ClosePort()
{
    if (m_serialPort)
        m_serialPort->Close();
    if (m_portLost.m_value != 0)
        m_portLost.Set(0);
    m_serialPortState.Set(0);
    UpdateSharing();
}

void CModelBase::OnPortFailed()
{
    // Once per failure: a port already closed stays quiet until it is opened again.
    if (m_serialPortState.m_value == 0 || !m_serialPort)
        return;
    // A serial device server's connection is named as such: its port name is an address.
    CRemoteAddress remote;
    const bool isRemote = ParseRemotePortName(m_serialPort->Name(), &remote);
    const bool flooded = m_serialPort->LastError() == Result::RemoteFlooded;
    const QString text = isRemote ? FormatResource(flooded ? IDS_REMOTE_FLOODED : IDS_REMOTE_CONNECTION_LOST, HostAndPort(remote))
                                  : FormatResource(IDS_PORT_LOST, m_serialPort->Name());
    const QString advice = isRemote ? ResourceString(IDS_ADVICE_REMOTE_CHECK) : ResourceString(IDS_PORT_LOST_ADVICE);
    m_serialPort->Close();
    // The reason first, so that observers of the port state see it.
    m_portLost.Set(1);
    m_serialPortState.Set(0);
    UpdateSharing();
    ResetDeviceValues();
    Status(text);
    m_lossReportPending = true;
    // Their next read finds the port closed and ends them with its error.
    bool handled = false;
    if (m_contactMachine && !m_contactMachine->IsIdle())
        m_contactMachine->OnCommEvent(handled);
    if (m_runningMachine && !m_runningMachine->IsIdle())
        m_runningMachine->OnCommEvent(handled);
    std::weak_ptr<bool> alive = m_alive;
    m_host.Post([this, alive, text, advice]() {
        if (alive.expired() || !m_lossReportPending)
            return;
        m_lossReportPending = false;
        if (m_userPrompt)
            m_userPrompt->ShowMessage(
                IUserPrompt::Icon::Error, ResourceString(IDS_COM_PORT_ERROR), text + QStringLiteral("\r\n") + advice);
    });
}

void CModelBase::NotifyCompletion(DWORD result)
{
    // A task that fails reports its failure, the port's loss included.
    if (Result::Failed(result))
        m_lossReportPending = false;
    m_completion.Notify(result, 0);
}

bool CModelBase::SendCommand(const QString& text)
{
    if (!m_serialPort)
        return false;
    return m_serialPort->PurgeReceive() && m_serialPort->WriteText(text);
}

bool CModelBase::SendBytes(const QByteArray& bytes)
{
    if (!m_serialPort)
        return false;
    return m_serialPort->WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
}

bool CModelBase::SetPortSpeed(DWORD bitsPerSecond)
{
    if (m_serialPortState.m_value == 0 || !m_serialPort)
        return false;
    if (m_serialPort->Speed() == bitsPerSecond)
        return true;
    if (!m_serialPort->SetSpeed(bitsPerSecond))
        return false;
    if (m_serialPort->Speed() != bitsPerSecond)
        return false;
    m_serialPort->PurgeReceive();
    return true;
}

DWORD CModelBase::PortSpeed() const
{
    return m_serialPort && m_serialPort->IsOpen() ? m_serialPort->Speed() : 0;
}

DWORD CModelBase::PortLastError() const
{
    if (!m_serialPort)
        return Result::FileNotFound;
    return m_serialPort->LastError();
}

bool CModelBase::PublishFirmwareStatus(int status)
{
    // A read or write met the failure before the port's notification came: the port is
    // closed through the model now, so that everything agrees when the conversation ends.
    if (m_serialPortState.m_value != 0 && !IsPortOpen())
        OnPortFailed();
    // A conversation that got no answers while another program had the shared line to itself
    // found nothing about the amplifier: it is as it was.
    if (status == 0 && IsLineBusy())
        status = m_firmwareStatus.m_value;
    const auto value = static_cast<FIRMWARESTATUS>(IsPortOpen() ? status : 0);
    return m_firmwareStatus.Change(value);
}

bool CModelBase::IsOtherDevice() const
{
    return IsPortOpen() && m_device.m_value != DeviceNone && !IsExpectedDevice();
}

QString CModelBase::OtherDeviceText() const
{
    const QString port = m_serialPort ? m_serialPort->Name() : m_port.m_value;
    return FormatResource(IDS_FOUND_OTHER_DEVICE, DeviceName(m_device.m_value), ProductName(), port);
}

void CModelBase::Status(const QString& text)
{
    if (m_statusSink)
        m_statusSink->OnStatusLine(IStatusSink::Kind::Status, text);
}

void CModelBase::Verbose(const QString& text)
{
    if (m_statusSink && m_verboseLogging.m_value != 0)
        m_statusSink->OnStatusLine(IStatusSink::Kind::Verbose, text);
}

void CModelBase::TraceLine(const QString& text)
{
    if (m_statusSink && m_trace.m_value != 0)
        m_statusSink->OnStatusLine(IStatusSink::Kind::Trace, text);
}

bool CModelBase::ReleaseRunningMachineIfIdle()
{
    if (m_contactMachine && !m_contactMachine->IsIdle())
        return false;
    if (m_runningMachine) {
        if (!m_runningMachine->IsIdle())
            return false;
        m_runningMachine->Release();
    }
    return true;
}

void CModelBase::ForgetRunningMachine(IStateMachine* machine)
{
    if (m_runningMachine == machine)
        m_runningMachine = nullptr;
}
