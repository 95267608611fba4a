#pragma once
#include "model/ModelBase.h"
#include "model/ObservableArrayPending.h"
#include "model/ObservableValuePending.h"
#include "model/ReadingValue.h"

// The model of the QRO4000: the shared model plus the amplifier's own values, which the
// operate, edit-configuration and date-and-time conversations fill.
class CModel : public CModelBase {
public:
    // Defined in link/ModelContact.cpp: the model gets its contact machine from the link.
    CModel(IEventHost& host, std::unique_ptr<ISettingsStore> store);
    ~CModel() override;

    CReadingValue<BYTE> m_antenna{0x812C, 1};
    CObservableArrayPending<BYTE, 11> m_antennaEnable{0x812D};
    CObservableArrayPending<BYTE, 11> m_antennaPreferred{0x812E};
    CObservableArrayPending<int, 11> m_atuHighSwrRetune{0x812F};
    CReadingValue<int> m_atuInline{0x8130, 0};
    CReadingValue<wchar_t> m_atuMode{0x8131, L'B'};
    CObservableValuePending<int> m_atuModeSwitch{0x8132, 0};
    CObservableArrayPending<BYTE, 11> m_atuSettingsPerBin{0x8136};
    CObservableValuePending<int> m_atuTransceiverKey{0x8137, 0};
    CObservableValuePending<CString> m_bannerText{0x8138};
    CReadingValue<BYTE> m_capacitors{0x8139, 0};
    CObservableValue<SYSTEMTIME> m_amplifierTime{0x813A};
    CPersistentValue<int> m_dateTimeUtc{0x813B, "DateTimeUtc", 1};
    CReadingValue<BYTE> m_faultCode{0x813C, 0};
    CReadingValue<WORD> m_frequency{0x8140, 0};
    CReadingValue<BYTE> m_inductors{0x8141, 0};
    CReadingValue<CString> m_displayText{0x8142};
    CObservableValuePending<int> m_networkDhcp{0x8143, 0};
    CObservableValuePending<CString> m_networkGateway{0x8144};
    CObservableValuePending<CString> m_networkIpAddress{0x8145};
    CObservableValue<CString> m_networkMacAddress{0x8146};
    CObservableValuePending<CString> m_networkMask{0x8147};
    CObservableValuePending<CString> m_networkPort{0x8148};
    CObservableValuePending<int> m_networkWakeOnLan{0x8149, 0};
    CPersistentBoundedValue<DWORD> m_operatePollInterval{0x814A, "OperatePollInterval", 300, 100, 30000};
    CReadingValue<int> m_operateStandby{0x814B, 0};
    CReadingValue<BYTE> m_overdriveCode{0x814C, 0};
    CReadingValue<WORD> m_paCurrent{0x814D, 0};
    CReadingValue<DWORD> m_paVoltage{0x814E, 0};
    // Peak hold ("PeakHoldVarn"): the highest forward and input power since the last reading of 0.
    CObservableValue<WORD> m_forwardPowerPeak{0x814F, 0};
    CPersistentValue<DWORD> m_peakHoldVarn{0x8156, "PeakHoldVarn", 0};
    CObservableValue<WORD> m_inputPowerPeak{0x8154, 0};
    CReadingValue<WORD> m_powerDissipated{0x8157, 0};
    CReadingValue<WORD> m_powerForward{0x8158, 0};
    CReadingValue<WORD> m_powerInput{0x8159, 0};
    CReadingValue<WORD> m_powerReflected{0x815A, 0};
    CReadingValue<int> m_powerStatus{0x815B, 0};
    CObservableValuePending<CString> m_pfKey1{0x815C};
    CObservableValuePending<CString> m_pfKey2{0x815D};
    CReadingValue<wchar_t> m_capacitorSide{0x815E, 0};
    CReadingValue<WORD> m_swr{0x8168, 0};
    CReadingValue<WORD> m_swrBypass{0x815F, 0};
    CObservableArrayPending<WORD, 11> m_swrThresholdBypass{0x8169};
    CObservableArrayPending<WORD, 11> m_swrThresholdNoMatch{0x816A};
    CObservableArrayPending<WORD, 11> m_swrThresholdRetune{0x816B};
    CObservableArrayPending<WORD, 11> m_swrThresholdStop{0x816C};
    CReadingValue<WORD> m_temperature{0x816D, 0};
    // The maker's FTP file server that new firmware files are copied from: an ftp:// address
    // with an optional port and starting folder (the files are in "QRO4000/firmware" below it).
    // An empty value means the default.
    static constexpr const char* kDefaultFileServer = "ftp://ftp.brimwell.com";
    CPersistentValue<CString> m_fileServer{0x81B0, "FileServer", QString::fromLatin1(kDefaultFileServer)};
    // Band following's source on the Operate page: "", "rigctld HOST:PORT" or "udp [ADDR:]PORT".
    CPersistentValue<CString> m_followRadio{0x81B1, "FollowRadio", CString()};

    bool IsExpectedDevice() const override;
    // Forgets what the amplifier was (its readings not current, its power unknown and taken
    // as off), besides the shared device values.
    void ResetDeviceValues() override;
    // Every operate reading, the band in ModelBase's values included.
    const std::vector<CReadingState*>& Readings() const { return m_readings; }
    // No reading is current any more (a poll cycle begins or failed, the link went).
    void MarkReadingsStale();
    void LoadSettings() override;
    bool HasUnsavedChanges() const;
    // The SWR threshold group: 1 no match, 2 retune, 3 stop, anything else bypass.
    CObservableArrayPending<WORD, 11>& SwrThresholds(int selector);

    // Makes a task machine the running one (see ReleaseRunningMachineIfIdle); nullptr while
    // another conversation is still going on.
    template <class M, class... A>
    M* CreateMachine(A&&... args)
    {
        if (!ReleaseRunningMachineIfIdle())
            return nullptr;
        auto* machine = new M(this, std::forward<A>(args)...);
        SetRunningMachine(machine);
        return machine;
    }

private:
    std::vector<CReadingState*> m_readings;
};
