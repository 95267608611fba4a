#include "model/FileChecks.h"
#include "model/ErrorText.h"
#include "model/FileError.h"
#include "model/ModelStringIds.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <sys/stat.h>
#if defined(_WIN32) && !defined(S_ISREG)
#define S_ISREG(mode) (((mode) & _S_IFMT) == _S_IFREG)
#endif

namespace {
DWORD Refuse(DWORD code, const QString& text, QString* message)
{
    if (message)
        *message = text;
    return code;
}

// stat() rather than QFileInfo: QFileInfo calls a FIFO or a device node a file.
bool StatPath(const QString& path, struct stat* info, int* error)
{
    errno = 0;
    if (::stat(QFile::encodeName(path).constData(), info) == 0)
        return true;
    *error = errno;
    return false;
}
} // namespace

namespace FileChecks {
DWORD CheckInputFile(const QString& path, qint64 maxBytes, QString* message)
{
    struct stat info { };
    int error = 0;
    if (!StatPath(path, &info, &error)) {
        DWORD code = FileError::FromErrno(error, Result::FileNotFound);
        // The file's folder missing too is a path not found.
        if (error == ENOENT && !QFileInfo(QFileInfo(path).absolutePath()).isDir())
            code = Result::PathNotFound;
        return Refuse(code, CallFailedOn(QStringLiteral("CreateFile"), path, code), message);
    }
    if (!S_ISREG(info.st_mode))
        return Refuse(
            Result::NotRegularFile, FormatResource(IDS_NOT_REGULAR_FILE, QDir::toNativeSeparators(path)), message);
    if (info.st_size > maxBytes)
        return Refuse(Result::FileTooLarge,
            FormatResource(IDS_FILE_TOO_LARGE, QDir::toNativeSeparators(path), QString::number(info.st_size),
                QString::number(maxBytes)),
            message);
    if (message)
        message->clear();
    return 0;
}

DWORD CheckSaveDestination(const QString& path, QString* message)
{
    struct stat info { };
    int error = 0;
    if (StatPath(path, &info, &error) && !S_ISREG(info.st_mode))
        return Refuse(
            Result::NotRegularFile, FormatResource(IDS_NOT_REGULAR_FILE, QDir::toNativeSeparators(path)), message);
    const QString folder = QFileInfo(path).absolutePath();
    QTemporaryFile probe(folder + QStringLiteral("/.qro4000-XXXXXX"));
    errno = 0;
    if (!probe.open()) {
        const int savedErrno = errno;
        // A folder that is not there is a path not found, not a missing file.
        DWORD code = Result::PathNotFound;
        if (StatPath(folder, &info, &error)) {
            code = FileError::FromDevice(probe, savedErrno, Result::AccessDenied);
            // A folder that is there but makes no new file (as /proc answers) refuses access.
            if (code == Result::FileNotFound && S_ISDIR(info.st_mode))
                code = Result::AccessDenied;
        }
        else if (error != ENOENT)
            code = FileError::FromErrno(error, Result::PathNotFound);
        return Refuse(code,
            FormatResource(IDS_FOLDER_NOT_WRITABLE, QDir::toNativeSeparators(folder), ErrorCodeLine(code)), message);
    }
    if (message)
        message->clear();
    return 0;
}

DWORD MakeFolder(const QString& path)
{
    std::error_code error;
    const std::filesystem::path native(QFile::encodeName(path).toStdString());
    if (std::filesystem::create_directories(native, error) || std::filesystem::is_directory(native))
        return 0;
    // Every missing folder above was to be made: one the system says is missing was refused.
    return error.value() == ENOENT ? Result::AccessDenied : FileError::FromErrno(error.value(), Result::AccessDenied);
}
} // namespace FileChecks
