#pragma once
#include "model/Dispatcher.h"
#include "model/EventHost.h"
#include "model/SerialPortInterface.h"
#include "model/StateMachine.h"
#include "model/FirmwareStatusValue.h"
#include "model/ObservableValue.h"
#include "model/PersistentArray.h"
#include "model/PersistentBoundedValue.h"
#include "model/PersistentValue.h"
#include "model/ReadingValue.h"
#include "model/RevisionedFileName.h"
#include "model/SerialPortSpeedValue.h"
#include "model/SettingsStore.h"
#include "model/StatusSink.h"
#include "model/UserPrompt.h"
#include <memory>
#include <vector>

class IContactStateMachine;

// The application model: the serial port, every setting and every value the windows show, and
// the machines that talk to the amplifier. One exists for the life of the program.
class CModelBase {
public:
    enum Band : int { BandAll = 11 };
    enum BRIMWELLDEVICE : int {
        DeviceNone = 0,
        DeviceR5 = 1,
        DeviceRX5 = 2,
        DeviceQRO800 = 3,
        DeviceATU800 = 4,
        DeviceQ9 = 6,
        DeviceLDA0100 = 9,
        DeviceQX9 = 12,
        DeviceRX4 = 14,
        DeviceQRO4000 = 15,
    };
    using PortFactory = std::function<std::unique_ptr<ISerialPort>(const QString& name)>;

    // The store is owned by the model; the host must outlive it.
    CModelBase(IEventHost& host, std::unique_ptr<ISettingsStore> store);
    virtual ~CModelBase();
    CModelBase(const CModelBase&) = delete;
    CModelBase& operator=(const CModelBase&) = delete;

    // --- values, with their event ids ---
    CPersistentValue<int> m_activePage{0x8065, "ActivePage", 0};
    CPersistentValue<DWORD> m_advancedMode{0x8066, "AdvancedMode", 0};
    CReadingValue<Band> m_band{0x8067, Band(0)};
    CPersistentArray<CString, 32> m_commandCaptions{0x8068, "CommandCaption%1", 1};
    CPersistentArray<CString, 32> m_commandTexts{0x8069, "CommandText%1", 1};
    CPersistentValue<CString> m_configurationFolder{0x806B, "ConfigurationFolder", CString()};
    CObservableValue<BRIMWELLDEVICE> m_device{0x806D, DeviceNone};
    CObservableValue<CRevisionedFileName> m_firmwareFile{0x806E};
    CPersistentValue<CString> m_firmwareFolder{0x806F, "FirmwareFolder", CString()};
    CPersistentBoundedValue<DWORD> m_firmwareLoadRetryLimit{0x8070, "FirmwareLoadRetryLimit", 10, 5, 25};
    CFirmwareStatusValue<CModelBase, FIRMWARESTATUS> m_firmwareStatus{0x8064, *this};
    CObservableValue<WORD> m_firmwareRevision{0x8071, 0};
    CPersistentValue<DWORD> m_loaderFlags{0x8072, "LoaderFlags", 0};
    CObservableValue<DWORD> m_progressRange{0x8075, 0};
    CObservableValue<DWORD> m_progressPosition{0x8074, 0};
    CEventSource m_completion{0x801D};
    CObservableValue<WORD> m_serialNumber{0x8076, kNoSerialNumber};
    CPersistentValue<CString> m_port{0x8077, "Port", CString()};
    CObservableValue<int> m_serialPortState{0x8078, 0};
    CSerialPortSpeedValue<CModelBase> m_portSpeed{0x8079, *this};
    CObservableValue<SYSTEMTIME> m_computerTime{0x807A};
    CPersistentValue<int> m_trace{0x807B, "Trace", 0};
    CPersistentValue<int> m_verboseLogging{0x807C, "VerboseLogging", 0};
    // 1 while the port is closed because it failed under us (its device vanished, its
    // connection dropped), until it is opened or closed again; 0 otherwise. It tells a lost
    // port from one the user closed.
    CObservableValue<int> m_portLost{0x807D, 0};
    // While the port is open: the station server the line is shared through ("HOST:PORT",
    // empty for a line of this program's own), and why the line is busy now (another program
    // has it to itself; empty when free).
    CObservableValue<CString> m_sharedThrough{0x807F};
    CObservableValue<CString> m_lineBusy{0x8080};

    // --- model operations ---
    virtual void ResetDeviceValues();
    virtual bool IsExpectedDevice() const = 0;
    virtual bool IdentifyDevice(const CString& response, int* kind);
    virtual void LoadSettings();
    virtual bool SaveSettings();

    QString DefaultConfigurationFolder() const;
    QString DefaultFirmwareFolder() const;
    // Overrides the user's application-data folder (tests and portable set-ups).
    void SetApplicationDataFolder(const QString& folder) { m_appDataOverride = folder; }

    // Sends "^BR0;".."^BR6;" for the seven speeds; only while the application runs.
    bool ChangeSpeed(DWORD bitsPerSecond);
    static QByteArray SpeedCommand(DWORD bitsPerSecond);

    // --- serial port ---
    void SetPortFactory(PortFactory factory) { m_portFactory = std::move(factory); }
    ISerialPort* Port() { return m_serialPort.get(); }
    bool OpenPort(const QString& name, bool quiet);
    void ClosePort();
    bool SendCommand(const QString& text);
    bool SendBytes(const QByteArray& bytes);
    bool SetPortSpeed(DWORD bitsPerSecond);
    void NotifyPortSpeed() { m_portSpeed.Notify(0, 0); }
    DWORD PortSpeed() const;
    bool IsPortOpen() const { return m_serialPort && m_serialPort->IsOpen(); }
    // The open port's line is shared and another program has it to itself for now: answers
    // that do not come are no sign of a lost amplifier, whose status stands.
    bool IsLineBusy() const { return IsPortOpen() && !m_serialPort->BusyReason().isEmpty(); }
    DWORD PortLastError() const;

    // Sets the firmware status and tells its observers only when it changes (answers whether
    // it did). None while the shared line is busy keeps the status.
    bool PublishFirmwareStatus(int status);
    // The device on the open port answered the identify query and is not the QRO4000; and
    // the line naming it ("Found a RX5, not a QRO4000, on COM3").
    bool IsOtherDevice() const;
    QString OtherDeviceText() const;

    // --- event loop, routing, reporting ---
    IEventHost& Host() { return m_host; }
    CDispatcher& Dispatcher() { return m_dispatcher; }
    void SetStatusSink(IStatusSink* sink) { m_statusSink = sink; }
    void SetUserPrompt(IUserPrompt* prompt) { m_userPrompt = prompt; }
    IUserPrompt* UserPrompt() { return m_userPrompt; }
    void Status(const QString& text);
    void Verbose(const QString& text);
    void TraceLine(const QString& text);
    bool IsTracing() const { return m_trace.m_value != 0; }
    ISettingsStore& Store() { return *m_store; }

    // --- machines ---
    IContactStateMachine* ContactMachine() { return m_contactMachine.get(); }
    IStateMachine* RunningMachine() { return m_runningMachine; }
    // Releases the running task machine so that a new one can take its place; only while both
    // the contact machine and the running machine are idle (false otherwise: a conversation
    // is still going on and must not lose its owner).
    bool ReleaseRunningMachineIfIdle();
    void SetRunningMachine(IStateMachine* machine) { m_runningMachine = machine; }
    // Called by a task machine's Release, which then destroys itself.
    void ForgetRunningMachine(IStateMachine* machine);
    // Notifies the completion event with the result code.
    void NotifyCompletion(DWORD result);

protected:
    std::vector<IPersistentValue*> m_persistentValues;
    std::unique_ptr<IContactStateMachine> m_contactMachine;

private:
    // The open port has failed for good: it is closed, every value follows, a conversation
    // going on ends with the port's error, and the loss is reported once.
    void OnPortFailed();
    // Takes what the open port says of its sharing (nothing once it is closed).
    void UpdateSharing();
    QString ApplicationDataFolder() const;
    QString DefaultFolder(const QString& leafFormat) const;

    IEventHost& m_host;
    std::unique_ptr<ISettingsStore> m_store;
    CDispatcher m_dispatcher;
    IStateMachine* m_runningMachine = nullptr;
    PortFactory m_portFactory;
    std::unique_ptr<ISerialPort> m_serialPort;
    IStatusSink* m_statusSink = nullptr;
    IUserPrompt* m_userPrompt = nullptr;
    QString m_appDataOverride;
    // The loss's box waits one turn of the event loop: a task that ends with the failure in
    // the meantime reports it itself.
    bool m_lossReportPending = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
