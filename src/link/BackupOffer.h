#pragma once
// The configuration backup offered before something that cannot be undone (a configuration
// reset, an ATU memory erase, a firmware load). The rule is the same for every front end:
//  Yes     save the configuration, then go on (a failed save asks whether to go on without);
//  No      go on without a backup;
//  Cancel  (Escape, closing the box, "c" or Ctrl+C at a terminal) nothing is done.
// Only an amplifier running its application has a configuration to read: otherwise nothing is
// asked and the operation goes on.
#include "model/Model.h"
#include "model/UserPrompt.h"
#include <functional>

namespace BackupOffer {
enum class Outcome { Saved, Skipped, NotOffered, SaveFailedGoOn, Stopped };

struct Texts {
    QString caption;
    QString question;
    QString skipped;
    unsigned savedId = 0;          // "… saved to %s"
    unsigned failedContinueId = 0; // "… failed: 0x%08X %s … go on?"; 0: a failed save stops
};

// Saves the configuration to the file offered (a saver that picks the name itself sets it):
// 0, Result::Cancelled when the user stopped the save, or the save's error code.
using Saver = std::function<DWORD(QString* fileName)>;

// Asks, saves when the answer is Yes, and tells `report` what happened.
Outcome Offer(const CModel& model, IUserPrompt& prompt, const Texts& texts, const QString& fileName,
    const Saver& save, const std::function<void(const QString&)>& report, DWORD* saveResult = nullptr);

// True when the operation may go on after the offer.
inline bool MayGoOn(Outcome outcome)
{
    return outcome != Outcome::Stopped;
}
} // namespace BackupOffer
