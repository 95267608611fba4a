#include "firmware/download/FirmwareDownload.h"
#include "firmware/FileNameParts.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/IntelHexReader.h"
#include "firmware/download/DownloadStringIds.h"
#include "firmware/download/FtpListing.h"
#include "firmware/download/FtpTransfer.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/Model.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDir>
#include <QFile>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {
std::filesystem::path NativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Failures that trying again cannot mend: of this computer's folder, or a file larger than any
// firmware.
bool EndsTheCopy(DWORD code)
{
    return code == Result::Cancelled || code == Result::DiskFull || code == Result::AccessDenied
        || code == Result::PathNotFound || code == Result::WriteFault || code == Result::ServerSentTooMuch;
}

// Whole RTF: "{\rtf" first and its outer group closed by the last character (spaces and NULs
// after it aside), escaped braces not counted.
bool IsWholeRtf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    if (!text.startsWith("{\\rtf"))
        return false;
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == '\0' || std::isspace(static_cast<unsigned char>(text[end - 1]))))
        --end;
    int depth = 0;
    for (qsizetype i = 0; i < end; ++i) {
        const char c = text[i];
        if (c == '\\')
            ++i; // an escaped character, brace or not
        else if (c == '{')
            ++depth;
        else if (c == '}' && --depth == 0 && i != end - 1)
            return false; // the document closed before its end
    }
    return depth == 0;
}

bool IsHexFile(const QString& name)
{
    return FileNameParts::Extension(name).compare(
               QLatin1String(CFirmwareFiles::kFirmwareExtension), Qt::CaseInsensitive)
        == 0;
}
} // namespace

CFirmwareDownload::CFirmwareDownload(IFirmwareDownloadSink* sink, QObject* parent)
    : QObject(parent)
    , m_sink(sink)
    , m_transfer(std::make_unique<CFtpTransfer>())
{
    connect(m_transfer.get(), &CFtpTransfer::Completed, this, &CFirmwareDownload::OnCompleted);
    connect(m_transfer.get(), &CFtpTransfer::Progress, this,
        [this](qint64 received, qint64 total) { m_sink->OnDownloadProgress(received, total); });
    // 12003 says "see the server's last response": that is this session's.
    SetInternetLastResponseProvider(
        [transfer = m_transfer.get()](DWORD* number, QString* text) { return transfer->LastResponse(number, text); });
}

CFirmwareDownload::~CFirmwareDownload()
{
    SetInternetLastResponseProvider({});
}

void CFirmwareDownload::Line(IFirmwareDownloadSink::Line kind, const QString& text)
{
    m_sink->OnDownloadLine(kind, text);
}

void CFirmwareDownload::Start(const QString& server, const QString& folder)
{
    m_copyList.clear();
    m_listedSizes.clear();
    m_copied.clear();
    m_index = -1;
    m_failures = 0;
    m_filesNotCopied = 0;
    m_cancelRequested = false;
    m_result = 0;
    m_folder = folder;
    m_files.ScanFolder(folder);

    const QString setting = server.trimmed().isEmpty() ? QString::fromLatin1(CModel::kDefaultFileServer) : server;
    m_address = std::make_unique<CFileServerAddress>(setting, ProductName());
    if (m_address->Error() != 0) {
        const QString operation = ResourceString(IDS_DL_OP_SESSION_OPEN);
        Line(IFirmwareDownloadSink::Line::Report, CompletedWithError(operation, m_address->Error()));
        Finish(operation, m_address->Error());
        return;
    }
    Line(IFirmwareDownloadSink::Line::Report, FormatResource(IDS_DL_OPENING_CONNECTION, m_address->Host()));
    m_state = OpeningSession;
    Begin(Step::Connect);
}

QString CFirmwareDownload::OperationName() const
{
    switch (m_step) {
    case Step::Connect:
        return FormatResource(IDS_DL_OP_CONNECT, m_address->Host());
    case Step::ChangeFolder:
        return FormatResource(IDS_DL_OP_CHANGE_FOLDER, m_address->Folder());
    case Step::List:
        return FormatResource(IDS_DL_OP_LIST, m_address->Folder());
    case Step::GetFile:
        return FormatResource(IDS_DL_OP_COPY, CurrentName());
    }
    return QString();
}

void CFirmwareDownload::Begin(Step step)
{
    // A cancel between two steps ends the download before the next one goes out.
    if (m_cancelRequested)
        return;
    m_step = step;
    CFtpTransfer::Request request;
    switch (step) {
    case Step::Connect:
        request = {CFtpTransfer::Operation::Connect, m_address->ConnectUrl(), {}, -1};
        break;
    case Step::ChangeFolder:
        request = {CFtpTransfer::Operation::ChangeDirectory, m_address->FolderUrl(), {}, -1};
        break;
    case Step::List:
        request = {CFtpTransfer::Operation::List, m_address->FolderUrl(), {}, -1};
        break;
    case Step::GetFile:
        request = {CFtpTransfer::Operation::GetFile, m_address->FileUrl(CurrentName()), m_folder,
            m_listedSizes.value(CurrentName(), -1)};
        m_sink->OnDownloadProgress(0, request.sizeHint);
        break;
    }
    if (!m_transfer->Start(request)) {
        constexpr DWORD kOperationInProgress = 12110;
        Finish(OperationName(), kOperationInProgress);
        return;
    }
    Line(IFirmwareDownloadSink::Line::Detail, FormatResource(IDS_DL_STARTED, OperationName()));
}

void CFirmwareDownload::OnCompleted(DWORD code, const QByteArray& data, const QString& tempPath)
{
    Line(IFirmwareDownloadSink::Line::Detail,
        FormatResource(IDS_DL_REQUEST_COMPLETE, code == 0 ? 1u : 0u, code, GetErrorText(code)));
    if (code != 0) {
        Line(IFirmwareDownloadSink::Line::Report, CompletedWithError(OperationName(), code));
        const QString detail = m_transfer->LastDetail();
        if (!detail.isEmpty())
            Line(IFirmwareDownloadSink::Line::Detail, FormatResource(IDS_DL_DETAIL, detail));
        // A file that does not arrive whole (cut short, stalled, refused) counts as one failed
        // try of that file; only a failure no try can mend ends the copy at once.
        if (m_state != GettingFile || EndsTheCopy(code)) {
            Finish(OperationName(), code);
            return;
        }
    }
    switch (m_state) {
    case OpeningSession:
        Line(IFirmwareDownloadSink::Line::StatusText, ResourceString(IDS_DL_CONNECTED));
        m_state = NavigatingDirectory;
        Line(IFirmwareDownloadSink::Line::Log, FormatResource(IDS_DL_NAVIGATING, m_address->Folder()));
        Begin(Step::ChangeFolder);
        break;
    case NavigatingDirectory:
        m_state = FindingFirstFile;
        Begin(Step::List);
        break;
    case FindingFirstFile:
    case FindingNextFile:
        OnListing(data);
        break;
    case GettingFile:
        OnFileReceived(code, tempPath);
        break;
    default:
        Line(IFirmwareDownloadSink::Line::Detail, FormatResource(IDS_DL_UNEXPECTED_STATE, unsigned(m_state)));
        if (!tempPath.isEmpty())
            QFile::remove(tempPath);
        break;
    }
}

void CFirmwareDownload::OnListing(const QByteArray& listing)
{
    bool first = true;
    for (const CFtpListEntry& entry : FtpListing::Parse(listing)) {
        m_state = first ? FindingFirstFile : FindingNextFile;
        first = false;
        if (entry.kind != CFtpListEntry::Kind::File)
            continue;
        // The name becomes a path in the firmware folder: one that could point elsewhere or
        // mean something else to the system is never written.
        if (!FtpListing::IsSafeFileName(entry.name)) {
            Line(IFirmwareDownloadSink::Line::Log,
                FormatResource(IDS_DL_SKIPPED_NAME, FtpListing::Printable(entry.name)));
            continue;
        }
        Line(IFirmwareDownloadSink::Line::Log, FormatResource(IDS_DL_FOUND_FILE, entry.name));
        m_files.AddToCopyList(entry.name, &m_copyList);
        m_listedSizes.insert(entry.name, entry.size);
    }
    // New release notes alone are not worth a copy when the folder has release notes already.
    if (m_copyList.size() == 1 && m_files.HasReleaseNotesFile() && CFirmwareFiles::IsReleaseNotesFile(m_copyList[0]))
        m_copyList.clear();
    if (m_copyList.isEmpty()) {
        Line(IFirmwareDownloadSink::Line::Report, ResourceString(IDS_DL_UP_TO_DATE));
        Finish(ResourceString(IDS_DL_OP_ALL_COPY_COMPLETE), 0);
        return;
    }
    if (const DWORD code = FileChecks::MakeFolder(m_folder)) {
        Line(IFirmwareDownloadSink::Line::Report,
            CallFailedOn(ResourceString(IDS_DL_CALL_CREATE_FOLDER), m_folder, code));
        Finish(ResourceString(IDS_DL_CALL_CREATE_FOLDER), code);
        return;
    }
    Line(IFirmwareDownloadSink::Line::Report, FormatResource(IDS_DL_COPYING_TO, m_folder));
    CopyNext();
}

void CFirmwareDownload::CopyNext()
{
    if (m_failures == 0)
        ++m_index;
    if (m_index >= m_copyList.size()) {
        Line(IFirmwareDownloadSink::Line::Report,
            FormatResource(IDS_DL_COPIED_FILES, unsigned(m_copied.size()), m_folder));
        Finish(ResourceString(IDS_DL_OP_ALL_COPY_COMPLETE), m_filesNotCopied == 0 ? 0 : Result::NotEveryFileCopied);
        return;
    }
    m_state = GettingFile;
    const QString destination = CFirmwareFiles::JoinPath(m_folder, CurrentName());
    QString message;
    // A folder (or a device) of that name would be replaced by the rename: stop before copying.
    if (const DWORD code = FileChecks::CheckSaveDestination(destination, &message)) {
        Line(IFirmwareDownloadSink::Line::Report, message);
        Finish(FormatResource(IDS_DL_OP_COPY, CurrentName()), code);
        return;
    }
    if (m_failures != 0)
        Line(IFirmwareDownloadSink::Line::Log, FormatResource(IDS_DL_RETRYING, CurrentName(), m_failures + 1, kTries));
    Begin(Step::GetFile);
}

DWORD CFirmwareDownload::PutInPlace(const QString& tempPath, const QString& destination)
{
    if (IsHexFile(destination)) {
        DWORD line = 0;
        DWORD code = 0;
        if (!ValidateHexFile(tempPath, &line, &code)) {
            Line(IFirmwareDownloadSink::Line::StatusText, FormatResource(IDS_DL_VERIFICATION_FAILED, destination));
            Line(IFirmwareDownloadSink::Line::Log, LineErrorLine(line, code));
            return code;
        }
        Line(IFirmwareDownloadSink::Line::StatusText, FormatResource(IDS_FW_VERIFICATION_SUCCEEDED, destination));
    } else if (CFirmwareFiles::IsReleaseNotesFile(destination) && !IsWholeRtf(tempPath)) {
        Line(IFirmwareDownloadSink::Line::Log, CallFailedOn(ResourceString(IDS_DL_CALL_CHECK_NOTES), destination,
                                                   Result::ReleaseNotesDamaged));
        return Result::ReleaseNotesDamaged;
    }
    // The temporary file is readable by its owner only; the copy is a file like the others.
    QFile::setPermissions(tempPath,
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser | QFile::ReadGroup
            | QFile::ReadOther);
    // One rename replaces the old file: there is no moment without a good file in the folder.
    std::error_code error;
    std::filesystem::rename(NativePath(tempPath), NativePath(destination), error);
    if (error) {
        Line(IFirmwareDownloadSink::Line::Log,
            CallFailedOn(ResourceString(IDS_DL_CALL_RENAME), destination, Result::CopyNotPutInPlace));
        return Result::CopyNotPutInPlace;
    }
    return 0;
}

void CFirmwareDownload::OnFileReceived(DWORD code, const QString& tempPath)
{
    const QString name = CurrentName();
    const QString destination = CFirmwareFiles::JoinPath(m_folder, name);
    if (code == 0)
        code = PutInPlace(tempPath, destination);
    if (code != 0 && !tempPath.isEmpty())
        QFile::remove(tempPath);
    if (code == 0) {
        Line(IFirmwareDownloadSink::Line::Report, FormatResource(IDS_DL_COPIED_FILE, name));
        m_copied.append(destination);
        m_failures = 0;
    } else if (++m_failures >= kTries) {
        Line(IFirmwareDownloadSink::Line::Report, FormatResource(IDS_DL_UNABLE_TO_COPY, name));
        m_failures = 0;
        ++m_filesNotCopied;
    }
    CopyNext();
}

bool CFirmwareDownload::Cancel()
{
    if (!IsInFlight())
        return false;
    m_cancelRequested = true;
    Finish(ResourceString(IDS_DL_OP_CANCEL_BUTTON), Result::Cancelled);
    return true;
}

void CFirmwareDownload::Finish(const QString& operation, DWORD code, bool force)
{
    Line(IFirmwareDownloadSink::Line::Detail,
        FormatResource(IDS_DL_FINISH, operation, unsigned(m_state), code, force ? 1u : 0u));
    m_state = Closing;
    // Ends the operation in flight at once; its temporary file goes with it.
    m_transfer->Cancel();
    m_state = Closed;
    m_result = code;
    m_sink->OnDownloadFinished(code);
}
