#pragma once
#include "model/ContactStateMachineInterface.h"
#include "link/QtEventHost.h"
#include "model/Model.h"
#include "model/StatusSink.h"
#include "model/UserPrompt.h"
#include <QString>
#include <functional>
#include <memory>
#include <string>

// Everything a command of the command-line program works with: the model on the chosen port,
// status lines on standard error, questions answered on the terminal (or by --yes), and the
// event loop that runs the machines. Ctrl+C cancels the running machine cleanly.
class CCliContext : public IStatusSink, public IUserPrompt {
public:
    struct Options {
        QString port;        // empty: the saved "Port" setting
        bool trace = false;
        bool verbose = false;
        bool json = false;
        bool yes = false;
        // How long the search for the amplifier may take before the command gives up.
        DWORD contactTimeoutMs = 15000;
    };
    explicit CCliContext(const Options& options);
    ~CCliContext();

    CModel& Model() { return *m_model; }
    CQtEventHost& Host() { return m_host; }
    const Options& GetOptions() const { return m_options; }
    QString PortName() const;

    // Opens the port and runs the contact sequence to its end. Answers the contact's result
    // code (0 when the amplifier answered in its application or its boot loader). The desktop
    // program keeps looking for an amplifier that is switched on later; a command gives up after
    // the contact time-out with 0xE2000049 and says that the amplifier is not responding.
    DWORD Connect();
    // Runs the event loop until the machine is idle. Ctrl+C cancels it (the machine then ends
    // at its next send with 1223). Answers the machine's result code.
    DWORD RunUntilIdle(IStateMachine& machine);
    // Runs the event loop for a while (or until the condition holds).
    void RunFor(DWORD ms, const std::function<bool()>& until = {});
    bool Interrupted() const;
    // SIGTERM interrupts like Ctrl+C from here on: for commands that end cleanly when a service
    // manager or a script stops them.
    void InterruptOnTerminate();

    // "Error code 0x%08X: %s" on standard error, unless a line said since the last failure
    // report holds it already, then the advice for it; answers the exit status for it.
    int ReportFailure(DWORD code);
    // A progress bar on standard error when it is a terminal, with the retries so far when
    // there are any; nothing otherwise.
    void ShowProgress(const QString& label, DWORD position, DWORD range, DWORD retries = 0);
    void EndProgress();

    // Standard output and standard error, line by line. Output that cannot be written (a full
    // disk, a pipe whose reader has gone) is not tried again: OutputFailed() says so, and
    // Finish() turns it into a failure.
    void Out(const QString& text);
    bool OutputFailed() const { return m_outputError != 0; }
    // The command's exit status, or a failure naming standard output's file when something
    // written there did not arrive.
    int Finish(int exitStatus);
    void Err(const QString& text);

    // IStatusSink, IUserPrompt
    void OnStatusLine(Kind kind, const QString& text) override;
    void ShowMessage(Icon icon, const QString& caption, const QString& text) override;
    // At a terminal "[y/N]"; without one, only --yes answers. Ctrl+C at a question ends the
    // program at once with 130.
    bool AskYesNo(Icon icon, const QString& caption, const QString& text) override;
    // At a terminal "[y/n/c]", asked again until one of them is given (end of input is c);
    // without one, only --yes answers (Yes), otherwise Cancel. Ctrl+C ends the program with 130.
    Answer AskYesNoCancel(Icon icon, const QString& caption, const QString& text) override;

private:
    // Writes the prompt and reads one line from the terminal: false at the end of the input.
    bool ReadAnswer(const QString& prompt, std::string* line);
    [[noreturn]] void EndAtQuestion();

    Options m_options;
    CQtEventHost m_host;
    std::unique_ptr<CModel> m_model;
    bool m_progressShown = false;
    int m_outputError = 0;
    QString m_saidSinceFailure; // standard error's text since the last failure report
};

// Exit statuses of the command-line program.
enum CliExit { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2, ExitInterrupted = 130 };
