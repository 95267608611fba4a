#pragma once
// What the configuration commands of the command line share.
#include "cli/CliContext.h"
#include "model/EventSink.h"
#include <QString>

class CConfigImage;

namespace ConfigCli {
// Draws the model's progress values as a bar on standard error while it lives, with the
// machine's retries so far when a machine is given.
class CProgressBar : public IEventSink {
public:
    CProgressBar(CCliContext& context, const QString& label, const IStateMachine& machine);
    CProgressBar(CCliContext& context, const QString& label);
    ~CProgressBar();
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

private:
    CCliContext& m_context;
    QString m_label;
    const IStateMachine* m_machine = nullptr;
};

// "usage: qro4000 <usage>" on standard error; answers the usage exit status.
int Usage(CCliContext& context, const char* usage);

// Reads the amplifier's whole configuration memory, as a save does, into `image`. The
// amplifier must be in contact. Answers the save sequence's result.
DWORD ReadAmplifier(CCliContext& context, CConfigImage& image, const QString& label);
} // namespace ConfigCli
