#include "link/ConnectionState.h"
#include "model/ConnectionStringIds.h"
#include "link/SharedLineStringIds.h"
#include "model/ContactStateMachineInterface.h"
#include "model/RemotePortName.h"
#include "model/Model.h"
#include "model/ResultCode.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"

CConnectionFacts ReadConnectionFacts(CModel& model)
{
    CConnectionFacts facts;
    facts.port = model.Port() && model.IsPortOpen() ? model.Port()->Name() : model.m_port.m_value;
    facts.portOpen = model.IsPortOpen();
    facts.portLost = model.m_portLost.m_value != 0;
    if (IContactStateMachine* contact = model.ContactMachine()) {
        facts.contactBusy = !contact->IsIdle();
        facts.contactResult = contact->ResultCode();
    }
    facts.taskBusy = model.RunningMachine() && !model.RunningMachine()->IsIdle();
    facts.firmwareStatus = model.m_firmwareStatus.m_value;
    facts.revision = model.m_firmwareRevision.m_value;
    facts.serialNumber = model.m_serialNumber.m_value;
    facts.speed = model.PortSpeed();
    if (model.IsOtherDevice())
        facts.otherDevice = model.OtherDeviceText();
    facts.sharedThrough = model.m_sharedThrough.m_value;
    facts.lineBusy = model.m_lineBusy.m_value;
    return facts;
}

namespace {
CConnectionState DescribeOwnLine(const CConnectionFacts& facts);
} // namespace

CConnectionState DescribeConnection(const CConnectionFacts& facts)
{
    if (!facts.portOpen || facts.portLost || facts.sharedThrough.isEmpty())
        return DescribeOwnLine(facts);
    // A shared line that another program has to itself answers nobody else for a while: the
    // amplifier is not lost, and a search meanwhile can still be stopped.
    if (!facts.lineBusy.isEmpty())
        return {ConnectionKind::Busy, FormatResource(IDS_SHARED_BUSY, facts.sharedThrough, facts.lineBusy),
            facts.contactBusy};
    CConnectionState state = DescribeOwnLine(facts);
    state.text = FormatResource(IDS_CONN_SHARED, state.text, facts.sharedThrough);
    return state;
}

namespace {
CConnectionState DescribeOwnLine(const CConnectionFacts& facts)
{
    // The firmware status belongs to the port that is open: what answered before a loss or a
    // close is not there any more.
    const bool found
        = facts.portOpen && (facts.firmwareStatus == FirmwareApplication || facts.firmwareStatus == FirmwareBootLoader);
    if (facts.portLost)
        return {ConnectionKind::PortLost, FormatResource(IDS_CONN_PORT_LOST, facts.port), false};
    if (facts.contactBusy && !found) {
        if (facts.portOpen)
            return {ConnectionKind::Searching,
                FormatResource(IDS_CONN_SEARCHING, ProductName(), facts.port, facts.speed), true};
        // Opening the port: nothing to stop yet, and nothing found.
        return {
            ConnectionKind::Searching, FormatResource(IDS_CONN_SEARCHING, ProductName(), facts.port, 230400u), false};
    }
    if (facts.port.isEmpty())
        return {ConnectionKind::NoPort, FormatResource(IDS_CONN_NO_PORT, ProductName()), false};
    if (!facts.portOpen)
        return {ConnectionKind::PortClosed, FormatResource(IDS_CONN_PORT_CLOSED, facts.port), false};
    if (facts.firmwareStatus == FirmwareApplication) {
        const QString serial = facts.serialNumber < kNoSerialNumber ? QString::asprintf("%05u", facts.serialNumber)
                                                                    : ResourceString(IDS_CONN_SERIAL_UNKNOWN);
        return {ConnectionKind::Connected,
            FormatResource(
                IDS_CONN_CONNECTED, ProductName(), RevisionText(facts.revision), serial, facts.port, facts.speed),
            false};
    }
    if (facts.firmwareStatus == FirmwareBootLoader)
        return {ConnectionKind::BootLoader,
            FormatResource(IDS_CONN_BOOT_LOADER, ProductName(), facts.port, facts.speed), false};
    if (!facts.otherDevice.isEmpty())
        return {ConnectionKind::OtherDevice, facts.otherDevice, false};
    if (facts.contactResult == Result::Cancelled)
        return {ConnectionKind::Stopped, FormatResource(IDS_CONN_STOPPED, facts.port), false};
    return {ConnectionKind::NotResponding, FormatResource(IDS_CONN_NOT_RESPONDING, ProductName(), facts.port), false};
}
} // namespace

CActionAvailability ActionAvailability(DeviceAction action, const CConnectionFacts& facts)
{
    const CConnectionState state = DescribeConnection(facts);
    auto no = [](const QString& reason) { return CActionAvailability {false, reason}; };
    if (state.kind == ConnectionKind::Searching)
        return no(ResourceString(IDS_WHY_SEARCHING));
    if (facts.contactBusy || facts.taskBusy)
        return no(ResourceString(IDS_WHY_BUSY));
    switch (state.kind) {
    case ConnectionKind::Connected:
        return {true, QString()};
    case ConnectionKind::BootLoader:
        // The boot loader takes firmware and raw commands, nothing else.
        if (action == DeviceAction::SendFirmware || action == DeviceAction::CommandTester)
            return {true, QString()};
        return no(ResourceString(IDS_WHY_BOOT_LOADER));
    case ConnectionKind::PortLost:
        return no(FormatResource(IDS_ADVICE_PORT_GONE, facts.port));
    case ConnectionKind::OtherDevice:
        return no(facts.otherDevice);
    case ConnectionKind::Busy:
        return no(state.text);
    default:
        return no(ResourceString(IDS_WHY_NO_AMPLIFIER));
    }
}

QString FailureAdvice(DWORD code, const CConnectionFacts& facts)
{
    switch (code) {
    case Result::AccessDenied:
        // Only a port that failed under a task has gone; one that refused to open said so
        // as it did, and otherwise it was a file or a folder that refused.
        if (!facts.portLost)
            return !facts.portOpen && facts.contactResult == Result::AccessDenied
                ? QString()
                : ResourceString(IDS_ADVICE_ACCESS_DENIED);
        [[fallthrough]];
    case Result::PortLost:
    case Result::RemoteConnectionLost: {
        CRemoteAddress address;
        if (ParseRemotePortName(facts.port, &address))
            return FormatResource(IDS_ADVICE_REMOTE_LOST, HostAndPort(address));
        return FormatResource(IDS_ADVICE_PORT_GONE, facts.port);
    }
    case Result::UnexpectedDevice:
        if (facts.portOpen && facts.firmwareStatus == FirmwareBootLoader)
            return FormatResource(IDS_ADVICE_BOOT_LOADER, ProductName(), facts.port);
        // Another device is named by the contact that found it.
        return {};
    default:
        return {};
    }
}
