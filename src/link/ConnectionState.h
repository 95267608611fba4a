#pragma once
#include "model/Types.h"

class CModel;

// What the program knows about the link to the amplifier at one moment, read from the model.
struct CConnectionFacts {
    QString port; // the chosen port ("" when none)
    bool portOpen = false;
    bool portLost = false; // closed because it failed under us
    bool contactBusy = false; // the contact machine is running
    DWORD contactResult = 0; // the last contact's result once it has ended
    bool taskBusy = false; // a task machine (save, restore, operate, loader...) is running
    int firmwareStatus = 0; // 0 none, 2 boot loader, 3 application
    WORD revision = 0;
    WORD serialNumber = 0xFFFF;
    DWORD speed = 0;
    QString otherDevice; // "Found a RX5, not a QRO4000, on COM3" when another device answered
    QString sharedThrough; // the station server sharing the line ("HOST:PORT"), "" for our own
    QString lineBusy; // why the shared line gives no answers now ("" when free)
};

// The one state the Port page's panel and the status bar show.
enum class ConnectionKind {
    NoPort,
    PortClosed,
    PortLost,
    Searching,
    Stopped,
    Connected,
    BootLoader,
    OtherDevice,
    NotResponding,
    Busy // the shared line is another program's for now: no answers, nothing lost
};

struct CConnectionState {
    ConnectionKind kind = ConnectionKind::NoPort;
    QString text; // one line: where things stand and, when stuck, what to do
    bool canStop = false; // a search runs and Stop ends it
};

CConnectionFacts ReadConnectionFacts(CModel& model);
CConnectionState DescribeConnection(const CConnectionFacts& facts);

// The device actions whose buttons follow the state: each needs the amplifier in a given state
// and the port to itself.
enum class DeviceAction { ConfigTask, SendFirmware, CheckRevision, CommandTester };

struct CActionAvailability {
    bool enabled = false;
    QString reason; // why not, for the button's tooltip or the page ("" when enabled)
};

// Whether the action can work now and, when not, why.
CActionAvailability ActionAvailability(DeviceAction action, const CConnectionFacts& facts);

// A line that says what a failure means here and what to do next, to go under the code's own
// text: a port that has gone is named, an amplifier waiting for firmware asks for a firmware
// load first. Empty when the code's text says all there is.
QString FailureAdvice(DWORD code, const CConnectionFacts& facts);
