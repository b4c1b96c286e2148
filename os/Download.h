#pragma once

#include <cstdint>

#include "base/Types.h"

// What one download reports to the code that asked for it, in the terms of the
// platform's URL download (bind-status codes, HRESULT answers), so that the
// engine's progress callback is the same on every target. The contract that
// every implementation keeps is stated at IOsServices::DownloadToFile.

// Status codes of a progress report, numbered as the platform's bind-status codes.
enum DownloadStatus : ULONG
{
    DOWNLOAD_STATUS_FINDING_RESOURCE = 1,     // text: host name
    DOWNLOAD_STATUS_CONNECTING = 2,           // text: the peer's address
    DOWNLOAD_STATUS_REDIRECTING = 3,          // text: the new URL
    DOWNLOAD_STATUS_BEGIN_DOWNLOAD_DATA = 4,  // text: the URL being read
    DOWNLOAD_STATUS_DOWNLOADING_DATA = 5,     // text: the URL being read
    DOWNLOAD_STATUS_END_DOWNLOAD_DATA = 6,    // text: the URL that was read
    DOWNLOAD_STATUS_SENDING_REQUEST = 11,     // text: empty
    DOWNLOAD_STATUS_MIME_TYPE_AVAILABLE = 13, // text: the content type
};

// Receives the reports of one transfer, on the thread that runs it.
class IDownloadProgress
{
public:
    virtual ~IDownloadProgress() = default;

    // ulProgress and ulProgressMax are byte counts of the body; ulProgressMax
    // is 0 while the size is unknown. szStatusText is never null. S_OK lets
    // the transfer go on; any failure code (E_ABORT) ends it as Aborted.
    virtual HRESULT OnProgress(uint64_t ulProgress, uint64_t ulProgressMax, ULONG ulStatusCode,
                               LPCWSTR szStatusText) = 0;

    // Asked at least once a second for as long as the transfer runs, also
    // while no byte arrives; true ends it as Aborted.
    virtual bool IsAbortRequested() = 0;
};

enum class DownloadResult
{
    Ok,
    Aborted,          // the progress sink asked to stop
    InvalidUrl,       // not an https URL
    ConnectFailed,    // name lookup failed, the connection was refused, or the TLS handshake broke off
    ConnectTimeout,   // connection (with its TLS handshake) not made in time
    CertificateError, // the host's certificate is not trusted or not for this host name
    HttpError,        // the host answered with an error status (or too many redirects)
    Stalled,          // no byte arrived for 30 s
    TransferFailed,   // the connection broke off or delivered less than announced
    FileError,        // the local file could not be created, written or put in place
};
