#include "model/FileError.h"
#include "model/ResultCode.h"
#include <QFileDevice>
#include <cerrno>

namespace FileError {
DWORD FromErrno(int error, DWORD fallback)
{
    switch (error) {
    case ENOENT:
        return Result::FileNotFound;
    case ENOTDIR:
        return Result::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return Result::AccessDenied;
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Result::DiskFull;
    case ENAMETOOLONG:
        return Result::InvalidName;
    case EIO:
        return fallback == Result::ReadFault ? Result::ReadFault : Result::WriteFault;
    case ENOMEM:
        return Result::NotEnoughMemory;
    default:
        return fallback;
    }
}

DWORD FromDevice(const QFileDevice& device, int savedErrno, DWORD fallback)
{
    const DWORD fromErrno = FromErrno(savedErrno, 0);
    if (fromErrno != 0)
        return fromErrno;
    switch (device.error()) {
    case QFileDevice::ResourceError:
        return Result::DiskFull;
    case QFileDevice::PermissionsError:
        return Result::AccessDenied;
    default:
        return fallback;
    }
}
} // namespace FileError
