#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// Downloading one URL into one local file over HTTPS, with progress reports
// shaped like those of the Windows URL-download call, so the engine's progress
// callback behaves the same on every target.

// Status codes of a progress report, numbered as the Windows bind-status codes.
enum DownloadStatus : uint32_t
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

enum class ProgressAnswer
{
    Continue,
    Abort, // end the transfer as a failure
};

// Receives the reports of one transfer, on the thread that runs it.
class IDownloadProgress
{
public:
    virtual ~IDownloadProgress() = default;

    // progress and progressMax are byte counts of the body; progressMax is 0
    // while the size is unknown (before the response, or without a length).
    // The last report of a successful transfer is END_DOWNLOAD_DATA with
    // progress == progressMax == the file's size.
    virtual ProgressAnswer OnProgress(uint64_t progress, uint64_t progressMax, uint32_t statusCode,
                                      const std::string& statusText) = 0;

    // Polled between reports, at least once a second while the transfer
    // waits for data, so an abort need not wait for the next byte.
    virtual bool IsAbortRequested() { return false; }
};

enum class DownloadResult
{
    Ok,
    Aborted,           // the progress sink asked to stop
    InvalidUrl,        // not an https URL
    ConnectFailed,     // name lookup failed, the connection was refused, or the TLS handshake broke off
    ConnectTimeout,    // connection (with its TLS handshake) not made within the connect timeout
    CertificateError,  // the host's certificate is not trusted or not for this host name
    HttpError,         // the host answered with an error status (or too many redirects)
    Stalled,           // no byte arrived within the stall limit
    TransferFailed,    // the connection broke off or delivered less than announced
    FileError,         // the local file could not be created, written or put in place
};

// The path of the extra CA file the build trusts (dev builds: the local test
// CA), or empty when the build trusts the system store alone.
std::string BuildExtraCaFile();

struct DownloadOptions
{
    // A connection that delivers no byte for this long fails. Positive.
    std::chrono::milliseconds m_stallLimit{std::chrono::seconds(30)};
    // Limit for the TCP connection and TLS handshake, per connection. Positive.
    std::chrono::milliseconds m_connectTimeout{std::chrono::seconds(30)};
    // PEM file of certificates trusted in addition to the system store;
    // empty for the system store alone. A missing file adds nothing.
    std::string m_strExtraCaFile = BuildExtraCaFile();
};

// Downloads an https URL into the file at strFilePath (UTF-8), following
// redirects and honouring the usual proxy environment variables. The file is
// written under a temporary name in the same folder and renamed into place
// only on success, so a failed or aborted transfer leaves no partial file and
// leaves an older file of the same name untouched. pProgress may be null.
DownloadResult DownloadUrlToFile(const std::string& strUrl, const std::string& strFilePath,
                                 IDownloadProgress* pProgress, const DownloadOptions& options = DownloadOptions());
