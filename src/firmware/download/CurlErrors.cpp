#include "firmware/download/CurlErrors.h"
#include "model/ResultCode.h"
#include <curl/curl.h>

namespace {
// The internet library's numbers for the cases a transfer meets.
enum : DWORD {
    kTimeout = 12002,
    kExtendedError = 12003, // the server answered with a refusal: see its last response
    kInternalError = 12004,
    kInvalidUrl = 12005,
    kUnrecognizedScheme = 12006,
    kNameNotResolved = 12007,
    kLoginFailure = 12015,
    kCannotConnect = 12029,
    kConnectionAborted = 12030,
    kConnectionReset = 12031,
    kPassiveModeUnavailable = 12112,
    kProxyUnreachable = 12165,
    kInvalidCertificate = 12169,
    kSecurityError = 12175,
};
} // namespace

DWORD CurlErrors::ToResultCode(int curlCode)
{
    switch (static_cast<CURLcode>(curlCode)) {
    case CURLE_OK:
        return Result::Success;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return kUnrecognizedScheme;
    case CURLE_URL_MALFORMAT:
        return kInvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
        return kProxyUnreachable;
    case CURLE_COULDNT_RESOLVE_HOST:
        return kNameNotResolved;
    case CURLE_COULDNT_CONNECT:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_INTERFACE_FAILED:
        return kCannotConnect;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_COULDNT_SET_TYPE:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_QUOTE_ERROR:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_COULDNT_USE_REST:
    case CURLE_RANGE_ERROR:
    case CURLE_FTP_PRET_FAILED:
    case CURLE_FTP_BAD_FILE_LIST:
        return kExtendedError;
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
        return kPassiveModeUnavailable;
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
        return kConnectionAborted;
    case CURLE_RECV_ERROR:
        return kConnectionReset;
    case CURLE_OPERATION_TIMEDOUT:
        return kTimeout;
    case CURLE_LOGIN_DENIED:
        return kLoginFailure;
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return Result::FileNotFound;
    case CURLE_FILESIZE_EXCEEDED:
        return Result::ServerSentTooMuch;
    case CURLE_WRITE_ERROR:
        return Result::WriteFault;
    case CURLE_READ_ERROR:
        return Result::ReadFault;
    case CURLE_OUT_OF_MEMORY:
        return Result::NotEnoughMemory;
    case CURLE_ABORTED_BY_CALLBACK:
        return Result::Cancelled;
    case CURLE_PEER_FAILED_VERIFICATION:
        return kInvalidCertificate;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
        return kSecurityError;
    default:
        return kInternalError;
    }
}
