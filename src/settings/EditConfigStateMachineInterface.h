#pragma once
#include "model/StateMachine.h"
#include "settings/SettingsTable.h"
#include <vector>

// The edit-configuration sequence as the settings sheet and the command line drive it: read
// every setting into the model, or write the pending copies that differ from their current
// values. The end comes as the model's completion event with the result.
class IEditConfigStateMachine : public IStateMachine {
public:
    // Only when idle; true if the sequence started.
    virtual bool StartRead() = 0;
    // Only when idle. A pending value that cannot be sent (see SettingsText) ends the sequence
    // at once with 0xE2000090 and nothing on the wire; true if the sequence started or ended so.
    virtual bool StartWrite() = 0;

    // Whether the last run had an answer for the setting (the optional settings may have none).
    virtual bool WasAnswered(SettingId id) const = 0;
    // The settings the amplifier did not take in the last write (it answered another value, or
    // nothing confirmed an optional one); the run then ends with 0xE2000091.
    virtual std::vector<SettingId> NotTaken() const = 0;
    // The settings of the last write whose set went out with no answer after it, when the
    // write ended early (the link dropped, Ctrl+C): whether the amplifier took them is unknown.
    virtual std::vector<SettingId> Unconfirmed() const = 0;
};
