#include "link/BackupOffer.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"

namespace BackupOffer {
Outcome Offer(const CModel& model, IUserPrompt& prompt, const Texts& texts, const QString& fileName,
    const Saver& save, const std::function<void(const QString&)>& report, DWORD* saveResult)
{
    if (model.m_firmwareStatus.m_value != FirmwareApplication)
        return Outcome::NotOffered;
    switch (prompt.AskYesNoCancel(IUserPrompt::Icon::Question, texts.caption, texts.question)) {
    case IUserPrompt::Answer::Cancel:
        return Outcome::Stopped;
    case IUserPrompt::Answer::No:
        report(texts.skipped);
        return Outcome::Skipped;
    case IUserPrompt::Answer::Yes:
        break;
    }
    QString savedName = fileName;
    const DWORD code = save(&savedName);
    if (saveResult)
        *saveResult = code;
    if (code == 0) {
        report(FormatResource(texts.savedId, savedName));
        return Outcome::Saved;
    }
    if (code == Result::Cancelled || texts.failedContinueId == 0)
        return Outcome::Stopped; // the user stopped the save, or nobody may say go on
    return prompt.AskYesNo(IUserPrompt::Icon::Warning, texts.caption,
               FormatResource(texts.failedContinueId, code, GetErrorText(code)))
        ? Outcome::SaveFailedGoOn
        : Outcome::Stopped;
}
} // namespace BackupOffer
