#include "firmware/download/FtpTransfer.h"
#include "firmware/download/CurlErrors.h"
#include "model/ResultCode.h"
#include <QFile>
#include <QTemporaryFile>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <curl/curl.h>
#include <mutex>
#include <optional>
#include <thread>

namespace {
// How long the owner waits for the worker to notice a cancel. Within a transfer the worker is
// woken at once; only a name lookup in progress cannot be interrupted, and is then left to end
// alone.
constexpr auto kCancelWait = std::chrono::milliseconds(800);
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
// libcurl 7.88 starts a passive data connection on a reused control connection without asking
// to be woken for it: with its own one-second wait every file after the first would stall a
// second. A short wait costs nothing while a transfer runs and ends that stall.
constexpr int kPollMs = 20;
// A server that stops sending for this long is taken as gone.
constexpr long kStallSeconds = 60;
constexpr long kConnectTimeoutMs = 20000;
constexpr long kResponseTimeoutSeconds = 30;

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

DWORD FileErrorCode(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::ResourceError:
        return Result::DiskFull;
    case QFileDevice::PermissionsError:
        return Result::AccessDenied;
    case QFileDevice::OpenError:
        return Result::PathNotFound;
    default:
        return Result::WriteFault;
    }
}
} // namespace

struct CFtpTransfer::Shared {
    struct Job {
        Request request;
        quint64 serial = 0;
    };
    // What one operation gathers on the worker thread.
    struct JobState {
        Shared* shared = nullptr;
        Job job;
        QByteArray listing;
        QTemporaryFile* file = nullptr;
        qint64 received = 0;
        DWORD localFailure = 0; // a failure on this side that libcurl only sees as a write error
        std::chrono::steady_clock::time_point lastProgress {};
    };

    std::mutex mutex;
    std::condition_variable wake; // a job or the end, for the worker
    std::condition_variable idle; // the worker has ended a job, or has ended
    std::optional<Job> job;
    bool working = false;
    bool quit = false;
    bool exited = false;
    std::atomic<bool> cancel {false};
    CURLM* multi = nullptr;
    CFtpTransfer* receiver = nullptr; // none once the owner is gone
    QString handedOver; // a received file whose completion has not been taken yet

    bool hasResponse = false;
    DWORD responseNumber = 0;
    QString responseText;
    QString replyInProgress;
    QString detail;

    // The worker thread.
    static void Main(std::shared_ptr<Shared> shared);
    void Perform(CURL* easy, CURLM* multi, const Job& job);
    CURLcode Run(CURL* easy, CURLM* multi);
    void SetOptions(CURL* easy, JobState& state, char* errorBuffer);
    void PostProgress(quint64 serial, qint64 received, qint64 total);
    static size_t OnHeader(char* data, size_t size, size_t count, void* user);
    static size_t OnData(char* data, size_t size, size_t count, void* user);
    static int OnTransferInfo(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t);
};

// Everything below up to the owner's functions runs on the worker thread.
size_t CFtpTransfer::Shared::OnHeader(char* data, size_t size, size_t count, void* user)
{
    auto& s = *static_cast<Shared*>(user);
    const QString line = QString::fromUtf8(data, static_cast<qsizetype>(size * count)).trimmed();
    // A reply is "NNN text", or "NNN-text" and more lines up to "NNN text".
    const bool numbered = line.size() >= 3 && line[0].isDigit() && line[1].isDigit() && line[2].isDigit();
    const bool last = numbered && (line.size() == 3 || line[3] == QLatin1Char(' '));
    std::lock_guard lock(s.mutex);
    if (!s.replyInProgress.isEmpty())
        s.replyInProgress += QStringLiteral("\r\n");
    s.replyInProgress += line;
    if (last) {
        s.hasResponse = true;
        s.responseNumber = line.left(3).toUInt();
        s.responseText = s.replyInProgress;
        s.replyInProgress.clear();
    }
    return size * count;
}

size_t CFtpTransfer::Shared::OnData(char* data, size_t size, size_t count, void* user)
{
    auto& state = *static_cast<JobState*>(user);
    const qint64 bytes = static_cast<qint64>(size * count);
    if (state.received + bytes > kMaxBytes) {
        state.localFailure = Result::ServerSentTooMuch;
        return 0;
    }
    state.received += bytes;
    if (!state.file) {
        state.listing.append(data, bytes);
        return size * count;
    }
    if (state.file->write(data, bytes) != bytes) {
        state.localFailure = FileErrorCode(state.file->error());
        return 0;
    }
    return size * count;
}

int CFtpTransfer::Shared::OnTransferInfo(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t)
{
    auto& state = *static_cast<JobState*>(user);
    if (state.shared->cancel)
        return 1;
    if (state.job.request.operation != Operation::GetFile)
        return 0;
    const auto clock = std::chrono::steady_clock::now();
    const qint64 size = total > 0 ? static_cast<qint64>(total) : state.job.request.sizeHint;
    if (clock - state.lastProgress >= kProgressInterval || (size > 0 && now == size)) {
        state.lastProgress = clock;
        state.shared->PostProgress(state.job.serial, static_cast<qint64>(now), size);
    }
    return 0;
}

void CFtpTransfer::Shared::PostProgress(quint64 serial, qint64 received, qint64 total)
{
    std::lock_guard lock(mutex);
    if (!receiver || cancel)
        return;
    CFtpTransfer* owner = receiver;
    QMetaObject::invokeMethod(
        owner, [owner, serial, received, total] { owner->OnProgress(serial, received, total); }, Qt::QueuedConnection);
}

void CFtpTransfer::Shared::SetOptions(CURL* easy, JobState& state, char* errorBuffer)
{
    const Request& request = state.job.request;
    curl_easy_setopt(easy, CURLOPT_URL, request.url.toUtf8().constData());
    // Only FTP: the address is a setting, and must not turn the program into a reader of
    // local files or web pages.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, kResponseTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBytes));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Shared::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Shared::OnData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Shared::OnTransferInfo);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &state);
    const bool body = request.operation == Operation::List || request.operation == Operation::GetFile;
    curl_easy_setopt(easy, CURLOPT_NOBODY, body ? 0L : 1L);
}

CURLcode CFtpTransfer::Shared::Run(CURL* easy, CURLM* multiHandle)
{
    CURLcode result = CURLE_OK;
    curl_multi_add_handle(multiHandle, easy);
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multiHandle, &running) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
        bool done = false;
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multiHandle, &left)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
                done = true;
            }
        }
        if (done || running == 0)
            break;
        // The owner's cancel wakes this wait at once.
        if (!cancel)
            curl_multi_poll(multiHandle, nullptr, 0, kPollMs, nullptr);
        if (cancel) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
    }
    // Removing a transfer that has not ended closes its connection: that is the abort.
    curl_multi_remove_handle(multiHandle, easy);
    return result;
}

void CFtpTransfer::Shared::Perform(CURL* easy, CURLM* multiHandle, const Job& current)
{
    JobState state;
    state.shared = this;
    state.job = current;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    DWORD code = 0;
    QString tempPath;

    std::unique_ptr<QTemporaryFile> file;
    if (current.request.operation == Operation::GetFile) {
        file
            = std::make_unique<QTemporaryFile>(current.request.folder + QStringLiteral("/qro4000-download-XXXXXX.tmp"));
        if (!file->open())
            code = FileErrorCode(file->error());
        state.file = file.get();
    }
    if (code == 0) {
        curl_easy_reset(easy);
        SetOptions(easy, state, errorBuffer);
        const CURLcode result = Run(easy, multiHandle);
        code = state.localFailure != 0 ? state.localFailure : CurlErrors::ToResultCode(result);
        if (cancel)
            code = Result::Cancelled;
        // A server may end a transfer early and still say it is complete: the file must have
        // the size the server announced for it (SIZE), or else the one the listing gave.
        curl_off_t announced = -1;
        if (code == 0 && file && curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) != CURLE_OK)
            announced = -1;
        const qint64 expected = announced >= 0 ? static_cast<qint64>(announced) : current.request.sizeHint;
        if (code == 0 && file && expected >= 0 && state.received != expected) {
            code = Result::FileSizeDiffers;
            std::snprintf(errorBuffer, sizeof errorBuffer, "%lld of %lld bytes received",
                static_cast<long long>(state.received), static_cast<long long>(expected));
        }
    }
    if (code == 0 && file) {
        if (!file->flush()) {
            code = FileErrorCode(file->error());
        } else {
            file->close();
            file->setAutoRemove(false);
            tempPath = file->fileName();
        }
    }
    file.reset(); // removes the file unless it is handed over

    std::lock_guard lock(mutex);
    if (code != 0 && code != Result::Cancelled)
        detail = QString::fromUtf8(errorBuffer);
    working = false;
    if (!cancel && receiver) {
        handedOver = tempPath;
        CFtpTransfer* owner = receiver;
        const quint64 serial = current.serial;
        const QByteArray data = state.listing;
        QMetaObject::invokeMethod(
            owner, [owner, serial, code, data, tempPath] { owner->OnCompleted(serial, code, data, tempPath); },
            Qt::QueuedConnection);
    } else if (!tempPath.isEmpty()) {
        QFile::remove(tempPath);
    }
    idle.notify_all();
}

void CFtpTransfer::Shared::Main(std::shared_ptr<Shared> shared)
{
    Shared& s = *shared;
    CURL* easy = curl_easy_init();
    CURLM* multiHandle = curl_multi_init();
    {
        std::lock_guard lock(s.mutex);
        s.multi = multiHandle;
    }
    for (;;) {
        Job current;
        {
            std::unique_lock lock(s.mutex);
            s.wake.wait(lock, [&s] { return s.quit || s.job.has_value(); });
            if (s.quit)
                break;
            current = *s.job;
            s.job.reset();
        }
        if (easy && multiHandle) {
            s.Perform(easy, multiHandle, current);
        } else {
            std::lock_guard lock(s.mutex);
            s.working = false;
            s.idle.notify_all();
        }
    }
    {
        std::lock_guard lock(s.mutex);
        s.multi = nullptr;
    }
    if (multiHandle)
        curl_multi_cleanup(multiHandle);
    if (easy)
        curl_easy_cleanup(easy);
    std::lock_guard lock(s.mutex);
    s.exited = true;
    s.idle.notify_all();
}

// The owner's side, on the thread that made the object.
CFtpTransfer::CFtpTransfer(QObject* parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    InitCurlOnce();
    m_shared->receiver = this;
    std::thread(&Shared::Main, m_shared).detach();
}

CFtpTransfer::~CFtpTransfer()
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    s.receiver = nullptr;
    s.quit = true;
    s.cancel = true;
    if (s.multi)
        curl_multi_wakeup(s.multi);
    s.wake.notify_all();
    // The worker owns its libcurl handles and the shared state keeps itself alive, so a worker
    // still waiting for a name lookup can be left to finish on its own.
    s.idle.wait_for(lock, kCancelWait, [&s] { return s.exited; });
    if (!s.handedOver.isEmpty())
        QFile::remove(s.handedOver);
}

bool CFtpTransfer::Start(const Request& request)
{
    Shared& s = *m_shared;
    std::lock_guard lock(s.mutex);
    if (s.working || s.job || s.quit)
        return false;
    s.cancel = false;
    s.detail.clear();
    s.job = Shared::Job {request, ++m_serial};
    s.working = true;
    m_busy = true;
    s.wake.notify_all();
    return true;
}

void CFtpTransfer::Cancel()
{
    Shared& s = *m_shared;
    std::unique_lock lock(s.mutex);
    s.cancel = true;
    if (s.job) {
        s.job.reset(); // never started
        s.working = false;
    }
    if (s.multi)
        curl_multi_wakeup(s.multi);
    s.idle.wait_for(lock, kCancelWait, [&s] { return !s.working; });
    // A completion already on its way is for an operation that no longer counts.
    if (!s.handedOver.isEmpty()) {
        QFile::remove(s.handedOver);
        s.handedOver.clear();
    }
    ++m_serial;
    m_busy = false;
}

bool CFtpTransfer::LastResponse(DWORD* number, QString* text) const
{
    std::lock_guard lock(m_shared->mutex);
    if (!m_shared->hasResponse)
        return false;
    *number = m_shared->responseNumber;
    *text = m_shared->responseText;
    return true;
}

QString CFtpTransfer::LastDetail() const
{
    std::lock_guard lock(m_shared->mutex);
    return m_shared->detail;
}

void CFtpTransfer::OnCompleted(quint64 serial, DWORD code, const QByteArray& data, const QString& tempPath)
{
    if (serial != m_serial)
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->handedOver.clear();
    }
    m_busy = false;
    emit Completed(code, data, tempPath);
}

void CFtpTransfer::OnProgress(quint64 serial, qint64 received, qint64 total)
{
    if (serial == m_serial && m_busy)
        emit Progress(received, total);
}
