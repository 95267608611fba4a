#include "maintenance/FaultTableFile.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/FileError.h"
#include "model/ResultCode.h"
#include <QSaveFile>
#include <cerrno>

namespace FaultTableFile {
QString DefaultName(WORD serialNumber, const QDateTime& timeStamp)
{
    const QString stamp = timeStamp.toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
    if (serialNumber == kNoSerialNumber)
        return QStringLiteral("FaultTable.%1.txt").arg(stamp);
    return QStringLiteral("SN%1.FaultTable.%2.txt").arg(serialNumber, 5, 10, QChar('0')).arg(stamp);
}

DWORD Write(const QString& fileName, const QString& text, QString* message)
{
    if (const DWORD refused = FileChecks::CheckSaveDestination(fileName, message))
        return refused;
    QSaveFile file(fileName);
    auto fail = [&](const char* call, DWORD fallback, int savedErrno) {
        const DWORD code = FileError::FromDevice(file, savedErrno, fallback);
        file.cancelWriting();
        if (message)
            *message = CallFailedOn(QString::fromLatin1(call), fileName, code);
        return code;
    };
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail("CreateFile", Result::AccessDenied, errno);
    const QByteArray bytes = text.toLatin1();
    errno = 0;
    if (file.write(bytes) != bytes.size())
        return fail("WriteFile", Result::WriteFault, errno);
    errno = 0;
    if (!file.commit())
        return fail("WriteFile", Result::WriteFault, errno);
    if (message)
        message->clear();
    return 0;
}
} // namespace FaultTableFile
