#pragma once
#include "model/Types.h"

// libcurl's result codes in the program's numbering, so that a failed transfer reads like any
// other error: internet-library codes 12000 to 12175 for what happened on the network or at
// the server, Win32 numbers for what happened on this computer, 1223 for a cancel. A command
// the server refused is 12003, whose text carries the server's last response.
namespace CurlErrors {
DWORD ToResultCode(int curlCode);
} // namespace CurlErrors
