#include "firmware/McuLoaderStateMachine.h"
#include "firmware/FileNameParts.h"
#include "model/ErrorText.h"
#include "model/RevisionText.h"
#include <algorithm>

CMcuLoaderStateMachine::CMcuLoaderStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_packetRetryLimit(model->m_firmwareLoadRetryLimit.m_value)
    , m_deviceName(ProductName())
    , m_determineSpeedState(this, "DetermineSpeedState", &m_queryIState)
    , m_queryIState(this, "QueryIState", &m_unlockFlashEraseState, &m_verifyExpectedDeviceState)
    , m_verifyExpectedDeviceState(this, "VerifyExpectedDeviceState", &m_loadEnterBootLoaderState)
    , m_loadEnterBootLoaderState(this, "LoadEnterBootLoaderState", &m_unlockFlashEraseState)
    , m_unlockFlashEraseState(this, "UnlockFlashEraseState", &m_eraseProgramFlashState)
    , m_eraseProgramFlashState(this, "EraseProgramFlashState", &m_loadBeginDownloadState)
    , m_loadBeginDownloadState(this, "LoadBeginDownloadState", &m_loadFirmwareInitialState)
    , m_loadFirmwareInitialState(this, "LoadFirmwareInitialState", &m_endFirmwareLoadState, &m_loadResyncState)
    , m_loadResyncState(this, "LoadResyncInitialState", &m_loadFirmwareInitialState)
    , m_endFirmwareLoadState(this, "EndFirmwareLoadState", &m_showBootVersionState)
    , m_showBootVersionState(this, "ShowBootVersionState", &m_bootResetState)
    , m_bootResetState(this, "BootResetState", &m_determineSpeedAfterResetState)
    , m_determineSpeedAfterResetState(this, "DetermineSpeedState", &m_getFirmwareVersionState)
    , m_getFirmwareVersionState(this, "GetFirmwareVersionState", &m_getSerialNumberState)
    , m_getSerialNumberState(this, "GetSerialNumberState", &m_finalState)
{
}

bool CMcuLoaderStateMachine::StartLoad(IStatusSink* notify)
{
    if (!IsIdle())
        return false;
    m_notify = notify;
    m_highestRetries = 0;
    m_totalRetries = 0;
    m_fillByteCount = 0;
    m_retriesSoFar = 0;
    m_downloadOpen = false;
    if (!m_image.LoadForLoader(m_model->m_firmwareFile.m_value.m_fileName)) {
        // Nothing has been sent: the amplifier is as the last contact found it, so its status
        // stays as it is; only the completion event reports the failure.
        m_status = m_model->m_firmwareStatus.m_value;
        m_result = m_image.LastError() ? m_image.LastError() : Result::GenFailure;
        Report(m_image.ErrorText());
        m_model->NotifyCompletion(m_result);
        return false;
    }
    m_model->m_progressPosition.Set(0);
    m_model->m_progressRange.Set(m_image.UsedLength() / kProgressUnit);
    m_transferAddress = m_image.Low();
    return StartAt(&m_determineSpeedState, true);
}

void CMcuLoaderStateMachine::OnFinalState()
{
    // An unexpected device keeps the status it was identified with: it is still there.
    if (Result::Failed(m_result) && m_result != Result::UnexpectedDevice)
        m_status = 0;
    // The load stopped inside the download: only a restart gets the boot loader to listen
    // again, and the user has to be told, or the next load would find nothing to talk to.
    if (Result::Failed(m_result) && m_downloadOpen)
        Report(FormatResource(IDS_FW_RESTART_TO_RELOAD, m_deviceName, m_deviceName));
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}

DWORD CMcuLoaderStateMachine::VerifyRevision(bool quiet)
{
    const WORD installed = m_model->m_firmwareRevision.m_value;
    const WORD expected = FileNameParts::Revision(GetFileName());
    if (expected == 0) {
        // A file named otherwise (a test build, a renamed copy) has nothing to compare with:
        // the amplifier answered after the load, so say what it runs rather than call the load
        // failed.
        Report(FormatResource(IDS_FW_NOW_RUNS, m_deviceName, RevisionText(installed)));
        return 0;
    }
    if (installed == expected && !quiet) {
        Report(FormatResource(IDS_FW_VERIFICATION_SUCCEEDED, m_deviceName));
        return 0;
    }
    // The revision the file carries, compared with the one the amplifier answers.
    Report(FormatResource(
        IDS_FW_LOADED_REVISION, m_deviceName, RevisionText(expected), ProductName(), RevisionText(installed)));
    if (installed != expected) {
        Report(FormatResource(IDS_FW_VERIFICATION_FAILED, m_deviceName, m_deviceName));
        return Result::RevisionVerifyFailed;
    }
    return 0;
}

void CMcuLoaderStateMachine::Trace(const QString& text)
{
    if (m_notify && m_model->m_verboseLogging.m_value != 0)
        m_notify->OnStatusLine(IStatusSink::Kind::Trace, text);
}

void CMcuLoaderStateMachine::Report(const QString& text)
{
    m_model->Status(text);
    if (m_notify)
        m_notify->OnStatusLine(IStatusSink::Kind::Status, text);
}

void CMcuLoaderStateMachine::SetProgress(DWORD transferAddress)
{
    m_model->m_progressPosition.Set((transferAddress - m_image.Low()) / kProgressUnit);
}

void CMcuLoaderStateMachine::AddRetries(DWORD retries)
{
    m_highestRetries = std::max(m_highestRetries, retries);
    m_totalRetries += retries;
}

void CMcuLoaderStateMachine::NoteRetry(const QString& cause)
{
    ++m_retriesSoFar;
    ReportDetail(cause);
    NotifyRetry();
}

void CMcuLoaderStateMachine::ReportDetail(const QString& text)
{
    if (m_model->m_verboseLogging.m_value == 0)
        return;
    m_model->Verbose(text);
    if (m_notify)
        m_notify->OnStatusLine(IStatusSink::Kind::Verbose, text);
}

DWORD CMcuLoaderStateMachine::PacketWait(DWORD silentTries) const
{
    return m_packetPace.Wait(CLoadFirmwareState<CMcuLoaderStateMachine>::kPacketTimeout, silentTries);
}

DWORD CMcuLoaderStateMachine::FillWait() const
{
    return m_fillPace.Wait(CLoadResyncState<CMcuLoaderStateMachine>::kFillTimeout);
}

void CMcuLoaderStateMachine::NotePacketAnswer()
{
    const DWORD elapsed = ElapsedSinceSend();
    const DWORD speed = std::max<DWORD>(m_model->PortSpeed(), 1);
    const DWORD lineMs = static_cast<DWORD>(std::uint64_t {LoaderPacket::kSize} * 10 * 1000 / speed);
    m_packetPace.AddAnswer(elapsed);
    m_fillPace.AddAnswer(elapsed > lineMs ? elapsed - lineMs : 0);
}

void CMcuLoaderStateMachine::NoteFillAnswer()
{
    m_fillPace.AddAnswer(ElapsedSinceSend());
}

bool CMcuLoaderStateMachine::BeginWrite(CState<CMcuLoaderStateMachine>* state)
{
    // A cancel takes effect at the next send, as in every other conversation; the boot loader
    // keeps waiting and a new load starts over cleanly.
    if (Result::Failed(m_result)) {
        state->GoToFinal();
        return false;
    }
    m_received.clear();
    return true;
}

bool CMcuLoaderStateMachine::EndWrite(bool written)
{
    if (written)
        return true;
    const DWORD error = m_model->PortLastError();
    m_result = Result::Failed(error) ? error : Result::InvalidHandle;
    EnterFinalState();
    return false;
}

bool CMcuLoaderStateMachine::SendPacket(CState<CMcuLoaderStateMachine>* state, const QByteArray& terminators)
{
    if (!BeginWrite(state))
        return false;
    m_terminators = terminators;
    if (m_model->IsTracing())
        Trace(FormatResource(IDS_FW_TRACE_PACKET, QString::fromLatin1(state->Name()), LoaderPacket::kSize,
            QString::fromLatin1(QByteArray::fromRawData(reinterpret_cast<const char*>(m_packet), LoaderPacket::kSize)
                                    .toHex()
                                    .toUpper())));
    ISerialPort* port = m_model->Port();
    // Clearing the receive buffer first ties the answer to this packet: a late answer to the
    // one before must not acknowledge it.
    return EndWrite(port && port->IsOpen() && port->PurgeReceive() && port->WriteBytes(m_packet, LoaderPacket::kSize));
}

bool CMcuLoaderStateMachine::SendText(CState<CMcuLoaderStateMachine>* state, const QByteArray& text)
{
    if (!BeginWrite(state))
        return false;
    if (m_model->IsTracing())
        Trace(FormatResource(IDS_TRACE_SEND, QString::fromLatin1(state->Name()), EscapeForTrace(text)));
    ISerialPort* port = m_model->Port();
    return EndWrite(port && port->IsOpen() && port->PurgeReceive()
        && port->WriteBytes(reinterpret_cast<const BYTE*>(text.constData()), static_cast<DWORD>(text.size())));
}
