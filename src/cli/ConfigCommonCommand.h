#pragma once
// What the configuration commands of the command line share.
#include "cli/CliContext.h"
#include "model/EventSink.h"
#include <QString>

class CConfigImage;

namespace ConfigCli {
// Draws the model's progress values as a bar on standard error while it lives, with the
// machine's retries so far.
class CProgressBar : public IEventSink {
public:
    CProgressBar(CCliContext& context, const QString& label, const IStateMachine& machine);
    ~CProgressBar();
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

private:
    CCliContext& m_context;
    QString m_label;
    const IStateMachine& m_machine;
};

// Saves the amplifier's configuration into the configuration folder under a backup name, as a
// firmware load or an erase does first, with a progress bar. The destination is checked before
// anything is read. Answers the result; `fileName` gets the backup's path, `message` what to say
// besides the result's own text (empty when nothing).
DWORD SaveBackup(CCliContext& context, QString* fileName, QString* message);

// Reads the amplifier's whole configuration memory, as a save does, into `image`. The
// amplifier must be in contact. Answers the save sequence's result.
DWORD ReadAmplifier(CCliContext& context, CConfigImage& image, const QString& label);
} // namespace ConfigCli
