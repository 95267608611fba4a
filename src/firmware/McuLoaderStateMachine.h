#pragma once
#include "firmware/BootResetState.h"
#include "firmware/EndFirmwareLoadState.h"
#include "firmware/EraseProgramFlashState.h"
#include "firmware/FirmwareImage.h"
#include "firmware/LoadBeginDownloadState.h"
#include "firmware/LoadEnterBootLoaderState.h"
#include "firmware/LoadFirmwareInitialState.h"
#include "firmware/LoadResyncState.h"
#include "firmware/LoaderPacket.h"
#include "firmware/LoaderStateMachineInterface.h"
#include "firmware/ShowBootVersionState.h"
#include "firmware/UnlockFlashEraseState.h"
#include "firmware/VerifyExpectedDeviceState.h"
#include "link/AnswerPace.h"
#include "link/ContactStates.h"
#include "link/states/DetermineSpeedState.h"
#include "link/states/QueryIState.h"
#include "model/StatusSink.h"

// Loads a firmware image into the amplifier through its boot loader.
//
//  #  state                      sends         time-out  ends on  no answer    next
//  1  DetermineSpeedState        ";"           100       ;        0xE2000045   2
//  2  QueryIState                "^I;"         500       ;        0xE2000524   5 (boot loader) or 3
//  3  VerifyExpectedDeviceState  -             -         -        0xE200004E   4
//  4  LoadEnterBootLoaderState   "^ld;"        2000      -        -            5 (port to 38400)
//  5  UnlockFlashEraseState      "U"           500       ANFP     0xE2000204   6 (refused 0xE2000205)
//  6  EraseProgramFlashState     "P"           15000     ANFP     0xE2000206   7 (refused 0xE2000207)
//  7  LoadBeginDownloadState     "D"           5000      D        0xE2000043   8
//  8  LoadFirmwareInitialState   packets       2000      ACN      0xE200004B   10 (refused 0xE2000044)
//  9  LoadResyncInitialState     ";" fill      100       N        0xE2000048   back to 8
// 10  EndFirmwareLoadState       end packet    2000      BCN      0xE200004B   11 (refused 0xE2000044)
// 11  ShowBootVersionState       "V;"          500       ;        0xE2000208   12
// 12  BootResetState             "R"           3000      -        -            13
// 13  DetermineSpeedState        ";"           100       ;        0xE2000045   14
// 14  GetFirmwareVersionState    "^rv;"        500       ;        0xE200000D   15
// 15  GetSerialNumberState       "^sn;"        500       ;        0xE20004C2   final
//
// Nothing is sent before the whole file has been read and checked. Every message goes to the
// model's status line and to the notify sink (the loader dialog's log).
class CMcuLoaderStateMachine : public CStateHost<CMcuLoaderStateMachine, ILoaderStateMachine> {
public:
    static constexpr DWORD kTimerId = 6;
    // Progress moves in units of this many bytes.
    static constexpr DWORD kProgressUnit = 128;
    // The shortest waits for a packet's answer and for a fill byte's; see PacketWait.
    static constexpr DWORD kPacketWaitFloor = 100;
    static constexpr DWORD kFillWaitFloor = 30;

    explicit CMcuLoaderStateMachine(CModel* model);

    // --- ILoaderStateMachine ---
    QString GetDeviceName() const override { return m_deviceName; }
    QString GetFileName() const override { return m_image.FileName(); }
    DWORD HighestRetries() const override { return m_highestRetries; }
    DWORD TotalRetries() const override { return m_totalRetries; }
    // Every packet sent again so far, the one in flight included.
    DWORD RetryCount() const override { return m_retriesSoFar; }
    DWORD VerifyRevision(bool quiet) override;
    bool StartLoad(IStatusSink* notify) override;
    bool IsDownloadOpen() const override { return m_downloadOpen; }
    // Where messages go besides the status line; nullptr for nowhere.
    void SetNotify(IStatusSink* notify) { m_notify = notify; }

    // Trace lines go to the notify sink only, and only while verbose logging is on.
    void Trace(const QString& text) override;

    // --- used by the states ---
    CFirmwareImage& Image() { return m_image; }
    DWORD PacketRetryLimit() const { return m_packetRetryLimit; }
    // A message of the load: the status line and the notify sink's log.
    void Report(const QString& text);
    void SetProgress(DWORD transferAddress);
    void AddRetries(DWORD retries);
    // A packet is sent again (or resynchronised): the progress display shows it, and verbose
    // logging says why.
    void NoteRetry(const QString& cause);
    // A verbose line: the status display's verbose lines and the notify sink's log.
    void ReportDetail(const QString& text);

    // How long to wait for a packet's answer and for a fill byte's, learnt from the answers so
    // far. A packet's answer takes its own line time (135 ms at 38400 bit/s) and the boot
    // loader's programming; a fill byte's "N" only the boot loader's reaction. Waiting out
    // 2000 ms and 100 ms regardless made each lost acknowledgement cost over 50 s of fill bytes.
    // The waits stay within those time-outs, which also hold until answers have been timed.
    DWORD PacketWait(DWORD silentTries) const;
    DWORD FillWait() const;
    void NotePacketAnswer();
    void NoteFillAnswer();
    // Writes the packet buffer as it is (no text conversion), after the packet trace line.
    // False when the machine has gone to its final state instead (cancelled, or the port
    // failed).
    bool SendPacket(CState<CMcuLoaderStateMachine>* state, const QByteArray& terminators);
    // Writes a short command the same way (a fill byte); false as SendPacket.
    bool SendText(CState<CMcuLoaderStateMachine>* state, const QByteArray& text);

    BYTE m_packet[LoaderPacket::kSize] = {};
    DWORD m_packetRetryLimit;
    DWORD m_highestRetries = 0;
    DWORD m_totalRetries = 0;
    DWORD m_fillByteCount = 0;
    DWORD m_transferAddress = 0;
    DWORD m_retriesSoFar = 0;
    // Between the echo of "D" and the answer "B" the boot loader takes every byte as packet
    // data: it answers no command until it has been restarted.
    bool m_downloadOpen = false;

protected:
    void OnFinalState() override;

private:
    bool BeginWrite(CState<CMcuLoaderStateMachine>* state);
    bool EndWrite(bool written);

    CFirmwareImage m_image;
    IStatusSink* m_notify = nullptr;
    CAnswerPace m_packetPace {kPacketWaitFloor};
    // Fed with the boot loader's reaction time to packets (their answer time less their line
    // time) and with the answer times of fill bytes.
    CAnswerPace m_fillPace {kFillWaitFloor};
    QString m_deviceName;

    CDetermineSpeedState<CMcuLoaderStateMachine> m_determineSpeedState;
    CQueryIState<CMcuLoaderStateMachine> m_queryIState;
    CVerifyExpectedDeviceState<CMcuLoaderStateMachine> m_verifyExpectedDeviceState;
    CLoadEnterBootLoaderState<CMcuLoaderStateMachine> m_loadEnterBootLoaderState;
    CUnlockFlashEraseState<CMcuLoaderStateMachine> m_unlockFlashEraseState;
    CEraseProgramFlashState<CMcuLoaderStateMachine> m_eraseProgramFlashState;
    CLoadBeginDownloadState<CMcuLoaderStateMachine> m_loadBeginDownloadState;
    CLoadFirmwareInitialState<CMcuLoaderStateMachine> m_loadFirmwareInitialState;
    CLoadResyncState<CMcuLoaderStateMachine> m_loadResyncState;
    CEndFirmwareLoadState<CMcuLoaderStateMachine> m_endFirmwareLoadState;
    CShowBootVersionState<CMcuLoaderStateMachine> m_showBootVersionState;
    CBootResetState<CMcuLoaderStateMachine> m_bootResetState;
    CDetermineSpeedState<CMcuLoaderStateMachine> m_determineSpeedAfterResetState;
    CGetFirmwareVersionState<CMcuLoaderStateMachine> m_getFirmwareVersionState;
    CGetSerialNumberState<CMcuLoaderStateMachine> m_getSerialNumberState;
};
