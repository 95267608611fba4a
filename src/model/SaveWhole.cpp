#include "model/SaveWhole.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/FileError.h"
#include "model/ResultCode.h"
#include <QSaveFile>
#include <algorithm>
#include <cerrno>

DWORD SaveWhole(const QString& fileName, const QByteArray& bytes, QString* message, const QString& shownName)
{
    // Checked again at the moment of writing: the rename below would replace whatever the name
    // has become since the caller last looked.
    if (const DWORD refused = FileChecks::CheckSaveDestination(fileName, message))
        return refused;
    QSaveFile file(fileName);
    auto fail = [&](const char* call, DWORD fallback, int savedErrno) {
        const DWORD code = FileError::FromDevice(file, savedErrno, fallback);
        file.cancelWriting();
        if (message)
            *message = CallFailedOn(QString::fromLatin1(call), shownName.isEmpty() ? fileName : shownName, code);
        return code;
    };
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail("CreateFile", Result::AccessDenied, errno);
    // In pieces, so that a full disk is seen at the piece that did not fit.
    constexpr qsizetype kChunk = 1 << 16;
    for (qsizetype at = 0; at < bytes.size(); at += kChunk) {
        const qsizetype n = std::min(kChunk, bytes.size() - at);
        errno = 0;
        if (file.write(bytes.constData() + at, n) != n)
            return fail("WriteFile", Result::WriteFault, errno);
    }
    // Flushes to the disk, then renames over the target.
    errno = 0;
    if (!file.commit())
        return fail("WriteFile", Result::WriteFault, errno);
    if (message)
        message->clear();
    return 0;
}
