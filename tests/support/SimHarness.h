#pragma once
// A model on the simulated amplifier in virtual time, with its settings and folders in a
// temporary directory: the bench every machine test runs on.
#include "model/ContactStateMachineInterface.h"
#include "link/VirtualEventHost.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include "model/StatusSink.h"
#include "model/UserPrompt.h"
#include "sim/SimDevice.h"
#include "sim/SimPort.h"
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>

// Collects status lines and answers questions from a script.
class CRecordingSink : public IStatusSink, public IUserPrompt {
public:
    void OnStatusLine(Kind kind, const QString& text) override
    {
        (kind == Kind::Status ? status : kind == Kind::Verbose ? verbose : trace).append(text);
    }
    void ShowMessage(Icon, const QString& caption, const QString& text) override { messages.append(caption + ": " + text); }
    bool AskYesNo(Icon, const QString& caption, const QString& text) override
    {
        questions.append(caption + ": " + text);
        return answerYes;
    }
    Answer AskYesNoCancel(Icon icon, const QString& caption, const QString& text) override
    {
        const bool yes = AskYesNo(icon, caption, text);
        return choice ? *choice : yes ? Answer::Yes : Answer::No;
    }

    QStringList status, verbose, trace, messages, questions;
    bool answerYes = true;
    std::optional<Answer> choice; // the answer to Yes/No/Cancel questions; answerYes when unset
    bool Contains(const QString& fragment) const; // in any list
};

class CSimHarness {
public:
    explicit CSimHarness(const CSimDevice::Options& options = DefaultOptions());
    ~CSimHarness();

    static CSimDevice::Options DefaultOptions();

    // Sets the port "SIM" and runs the contact sequence to its end (virtual time).
    bool Connect();
    // Runs virtual time until the machine is idle; false if it is still busy after limitMs.
    bool RunUntilIdle(IStateMachine& machine, std::uint64_t limitMs = 10ull * 60 * 1000);
    QString TempPath(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    CVirtualEventHost host;
    std::shared_ptr<CSimDevice> device;
    CRecordingSink sink;
    std::unique_ptr<CModel> model;
};

// Records the result of each completion event and, given the clock, its virtual time.
class CCompletionRecorder : public IEventSink {
public:
    explicit CCompletionRecorder(CModel& model, const CVirtualEventHost* clock = nullptr)
        : m_model(model)
        , m_clock(clock)
    {
        m_model.m_completion.AddObserver(this);
    }
    ~CCompletionRecorder() { m_model.m_completion.RemoveObserver(this); }
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    QList<DWORD> results;
    QList<std::uint64_t> times;

private:
    CModel& m_model;
    const CVirtualEventHost* m_clock;
};

// Records every progress position the model publishes.
class CProgressRecorder : public IEventSink {
public:
    explicit CProgressRecorder(CModel& model)
        : m_model(model)
    {
        m_model.m_progressPosition.AddObserver(this);
    }
    ~CProgressRecorder() { m_model.m_progressPosition.RemoveObserver(this); }
    void OnEvent(std::uint32_t, std::uintptr_t, std::intptr_t) override
    {
        positions.append(m_model.m_progressPosition.m_value);
    }
    QList<DWORD> positions;

private:
    CModel& m_model;
};

// Every command of a wire log (each ends with ";"), and those that start with `prefix`.
QList<QByteArray> Commands(const QByteArray& log);
QList<QByteArray> CommandsStartingWith(const QByteArray& log, const QByteArray& prefix);
