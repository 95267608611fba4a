#pragma once
#include "model/Types.h"

class QFileDevice;

// The platform error code (Win32 numbering, as everywhere in the program) for a file operation
// that failed: taken from the C library's error number the failing call left, and from the
// Qt file error when that number says nothing.
namespace FileError {
DWORD FromErrno(int error, DWORD fallback);
DWORD FromDevice(const QFileDevice& device, int savedErrno, DWORD fallback);
} // namespace FileError
