#pragma once
#include "model/StateMachine.h"
#include "operate/OperateKeys.h"
#include <functional>

// The operate polling as the Operate page and the command line drive it. A request only records
// what the user asked for; the machine sends it at its place in the next poll cycle. A request
// made twice before then is sent once, and the later value wins.
class IOperateStateMachine : public IStateMachine {
public:
    // Starts a poll cycle; false (and nothing changes) while one is running.
    virtual bool StartPoll() = 0;
    virtual bool IsPowerRequestPending() const = 0;
    // Whether a key (the band key included) waits to be sent.
    virtual bool HasPendingKeys() const = 0;
    virtual void PressAntenna() = 0;
    virtual void PressAtuMode() = 0;
    // Recorded, but no command carries it: the amplifier's command is not known.
    virtual void PressAtuStore() = 0;
    virtual void PressAtuTune() = 0;
    // Band number 0 to 10; 28 MHz (9) and numbers of 11 or more send nothing.
    virtual void SelectBand(BYTE band) = 0;
    virtual void PressDown() = 0;
    virtual void PressEdit() = 0;
    virtual void PressInfo() = 0;
    virtual void PressMenu() = 0;
    virtual void PressMode() = 0;
    virtual void PressReset() = 0;
    virtual void PressStatus() = 0;
    virtual void PressUp() = 0;
    virtual void PressPf1() = 0;
    virtual void PressPf2() = 0;
    // Relay bytes: sent at once in the next cycle and read back in the one after.
    virtual void SetCapacitors(BYTE relays) = 0;
    virtual void SetInductors(BYTE relays) = 0;
    // 1 on, 0 off.
    virtual void SetPowerStatus(unsigned on) = 0;
    // "T" or "A"; recorded, but no command carries it.
    virtual void SetCapacitorSide(wchar_t side) = 0;

    // Requests from outside the Operate page (the command line, the station server) need the
    // amplifier switched on: with this set, a cycle that finds it off sends none of the pending
    // keys, band or relays, drops them, and says so through RefusedWhileOff(). The page leaves it
    // unset: its keys go out as the poll cycle has always sent them.
    virtual void SetRequestsNeedPower(bool needPower) = 0;
    // True when the last cycle dropped requests because the amplifier was switched off.
    virtual bool RefusedWhileOff() const = 0;

    // Called when the machine is destroyed, by whoever releases it: its owner's pointer must not
    // outlive it.
    virtual void SetReleaseNotify(std::function<void()> notify) = 0;
};

// The key's request on the machine (the band key takes its band from SelectBand).
void PressKey(IOperateStateMachine& machine, OperateKey key);
