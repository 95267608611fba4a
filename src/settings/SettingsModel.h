#pragma once
// The model's copies of each setting, reached by its id: the current value (what the amplifier
// holds, as last read) and the pending copy (the user's edit, not yet applied).
#include "model/Model.h"
#include "settings/SettingsTable.h"

namespace SettingsModel {
SettingValue Current(const CModel& model, SettingId id);
SettingValue Pending(const CModel& model, SettingId id);
// Writes the pending copy only, without telling observers (what an edit does).
void SetPending(CModel& model, SettingId id, const SettingValue& value);
// Stores a value read from the amplifier: current and pending both, observers told.
void Store(CModel& model, SettingId id, const SettingValue& value);
// The pending copy differs from the current value.
bool HasPendingChange(const CModel& model, SettingId id);
// Every pending copy back to its current value.
void DiscardPending(CModel& model);
} // namespace SettingsModel
