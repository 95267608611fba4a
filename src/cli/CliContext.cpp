#include "cli/CliContext.h"
#include "cli/CliStringIds.h"
#include "cli/Terminal.h"
#include "model/LinkStringIds.h"
#include "link/ConnectionState.h"
#include "link/ports/SocketPort.h"
#include "model/ErrorText.h"
#include "model/QtMessages.h"
#include "model/QtSettingsStore.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "sim/PortFactory.h"
#include <QCoreApplication>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <poll.h>
#include <unistd.h>

namespace {
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int)
{
    g_interrupted = true;
    CSocketPort::InterruptWaits();
}

// False (with errno set) when the stream did not take the line: a full disk, a closed pipe.
bool Write(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream)
        == static_cast<size_t>(bytes.size());
    return std::fflush(stream) == 0 && written;
}

// What standard output is, for a message about it: the file or device it goes to, when the
// system says.
QString StandardOutputName()
{
    const QString target = QFileInfo(QStringLiteral("/proc/self/fd/1")).symLinkTarget();
    if (target.isEmpty() || target.startsWith(QLatin1String("/proc/")))
        return ResourceString(IDS_CLI_STANDARD_OUTPUT);
    return target;
}
}  // namespace

CCliContext::CCliContext(const Options& options) : m_options(options)
{
    std::signal(SIGINT, OnInterrupt);
    KeepQtMessagesOffTheTerminal(options.trace);
    m_model = std::make_unique<CModel>(m_host, std::make_unique<CQtSettingsStore>());
    m_model->SetPortFactory([this](const QString& name) { return CreatePort(name, m_host, this, this); });
    m_model->SetStatusSink(this);
    m_model->SetUserPrompt(this);
    m_model->LoadSettings();
    // The command line changes no stored setting: these apply to this run only.
    m_model->m_trace.m_value = options.trace ? 1 : 0;
    m_model->m_verboseLogging.m_value = options.verbose ? 1 : 0;
    if (!options.port.isEmpty())
        m_model->m_port.m_value = options.port;
}

CCliContext::~CCliContext()
{
    m_model->ClosePort();
}

QString CCliContext::PortName() const
{
    return m_model->m_port.m_value;
}

bool CCliContext::Interrupted() const
{
    return g_interrupted;
}

void CCliContext::InterruptOnTerminate()
{
    std::signal(SIGTERM, OnInterrupt);
}

void CCliContext::RunFor(DWORD ms, const std::function<bool()>& until)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&]() {
        if ((until && until()) || g_interrupted || clock.elapsed() >= ms)
            loop.quit();
    });
    tick.start(5);
    if (until && until())
        return;
    loop.exec();
}

DWORD CCliContext::RunUntilIdle(IStateMachine& machine)
{
    bool cancelled = false;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&]() {
        if (g_interrupted && !cancelled) {
            cancelled = true;
            Err(QStringLiteral("Interrupted: cancelling..."));
            machine.Cancel();
        }
        if (machine.IsIdle())
            loop.quit();
    });
    tick.start(5);
    if (!machine.IsIdle())
        loop.exec();
    return machine.ResultCode();
}

DWORD CCliContext::Connect()
{
    IContactStateMachine* contact = m_model->ContactMachine();
    contact->StartContact();
    RunFor(m_options.contactTimeoutMs, [contact]() { return contact->IsIdle(); });
    if (!contact->IsIdle() && !g_interrupted) {
        contact->Cancel();
        RunUntilIdle(*contact);
        Err(FormatResource(IDS_NOT_RESPONDING, ProductName()));
        return Result::NoSemicolonResponse;
    }
    const DWORD result = RunUntilIdle(*contact);
    if (result != 0)
        return result;
    if (m_model->IsOtherDevice()) {
        Err(m_model->OtherDeviceText());
        return Result::UnexpectedDevice;
    }
    const int status = m_model->m_firmwareStatus.m_value;
    if (status != FirmwareApplication && status != FirmwareBootLoader)
        return Result::NoIdentifyResponse;
    return 0;
}

int CCliContext::ReportFailure(DWORD code)
{
    EndProgress();
    // A line already said (a file's check) may end with this very line: it is not said twice.
    const QString line = ErrorCodeLine(code);
    if (!m_saidSinceFailure.contains(line))
        Err(line);
    m_saidSinceFailure.clear();
    const QString advice = FailureAdvice(code, ReadConnectionFacts(*m_model));
    if (!advice.isEmpty())
        Err(advice);
    if (code == Result::Cancelled || g_interrupted)
        return ExitInterrupted;
    return ExitFailure;
}

void CCliContext::ShowProgress(const QString& label, DWORD position, DWORD range, DWORD retries)
{
    if (!Terminal::StderrIsTerminal() || range == 0)
        return;
    const int width = 30;
    const DWORD done = std::min(position, range);
    const int filled = static_cast<int>(static_cast<unsigned long long>(done) * width / range);
    const int percent = static_cast<int>(static_cast<unsigned long long>(done) * 100 / range);
    const QString bar = QString(filled, '#') + QString(width - filled, '.');
    QString text = QStringLiteral("\r%1 [%2] %3%").arg(label, bar).arg(percent, 3);
    if (retries != 0)
        text += QStringLiteral("  ") + FormatResource(IDS_LINK_CLI_RETRIES, retries);
    const QByteArray line = text.toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

void CCliContext::EndProgress()
{
    if (!m_progressShown)
        return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    m_progressShown = false;
}

void CCliContext::Out(const QString& text)
{
    if (m_outputError != 0)
        return;
    if (!Write(stdout, text))
        m_outputError = errno != 0 ? errno : EIO;
}

int CCliContext::Finish(int exitStatus)
{
    if (m_outputError == 0 && std::fflush(stdout) != 0)
        m_outputError = errno != 0 ? errno : EIO;
    if (m_outputError == 0)
        return exitStatus;
    Err(FormatResource(IDS_CLI_OUTPUT_FAILED, StandardOutputName(), QString::fromLocal8Bit(std::strerror(m_outputError))));
    return exitStatus == ExitInterrupted ? ExitInterrupted : ExitFailure;
}

void CCliContext::Err(const QString& text)
{
    if (m_progressShown)
        EndProgress();
    if (m_saidSinceFailure.size() < 64 * 1024)
        m_saidSinceFailure += text;
    Write(stderr, text);
}

void CCliContext::OnStatusLine(Kind kind, const QString& text)
{
    // The program's texts use CR LF inside a message; a terminal wants LF.
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Err(line);
    (void)kind;
}

void CCliContext::ShowMessage(Icon icon, const QString& caption, const QString& text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const char* level = icon == Icon::Error ? "Error" : icon == Icon::Warning ? "Warning" : "Note";
    Err(QStringLiteral("%1: %2: %3").arg(QLatin1String(level), caption, line));
}

bool CCliContext::ReadAnswer(const QString& prompt, std::string* line)
{
    const QByteArray bytes = prompt.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
    line->clear();
    // The terminal is read byte by byte with a short poll: a read restarted after Ctrl+C would
    // otherwise wait for Enter.
    for (;;) {
        if (g_interrupted)
            EndAtQuestion();
        pollfd input {STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, 100);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        if (c == '\n')
            return true;
        line->push_back(c);
    }
}

void CCliContext::EndAtQuestion()
{
    std::fputc('\n', stderr);
    Err(ResourceString(IDS_CLI_INTERRUPTED_AT_QUESTION));
    m_model->ClosePort();
    std::fflush(nullptr);
    std::_Exit(ExitInterrupted);
}

bool CCliContext::AskYesNo(Icon icon, const QString& caption, const QString& text)
{
    (void)icon;
    if (m_options.yes)
        return true;
    QString question = text;
    question.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!Terminal::StdinIsTerminal()) {
        Err(FormatResource(IDS_CLI_NO_TERMINAL_YES, caption, question));
        return false;
    }
    std::string answer;
    if (!ReadAnswer(QStringLiteral("%1: %2 [y/N] ").arg(caption, question), &answer))
        return false;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

IUserPrompt::Answer CCliContext::AskYesNoCancel(Icon icon, const QString& caption, const QString& text)
{
    (void)icon;
    if (m_options.yes)
        return Answer::Yes;
    QString question = text;
    question.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!Terminal::StdinIsTerminal()) {
        Err(FormatResource(IDS_CLI_NO_TERMINAL_BACKUP, caption, question));
        return Answer::Cancel;
    }
    QString prompt = QStringLiteral("%1: %2 [y/n/c] ").arg(caption, question);
    for (;;) {
        std::string answer;
        if (!ReadAnswer(prompt, &answer))
            return Answer::Cancel;
        const char c = answer.empty() ? 0 : static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
        if (c == 'y')
            return Answer::Yes;
        if (c == 'n')
            return Answer::No;
        if (c == 'c')
            return Answer::Cancel;
        prompt = QStringLiteral("[y/n/c] ");
    }
}
