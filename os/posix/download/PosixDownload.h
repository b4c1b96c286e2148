#pragma once

#include <chrono>
#include <string>

#include "os/Download.h"

// The POSIX download: libcurl over HTTPS, with the settings this
// implementation needs beyond the portable contract of DownloadToFile.

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

// Loads libcurl and the libraries behind it and sets them up (tens of
// milliseconds), which the first download otherwise does itself. Safe beside
// a download that starts meanwhile: that one waits for the loading.
void PrepareDownloadLibrary();

// Downloads an https URL into the file at strFilePath (UTF-8), following
// redirects and honouring the usual proxy environment variables, keeping the
// contract of IOsServices::DownloadToFile. pProgress may be null.
DownloadResult DownloadUrlToFile(const std::string& strUrl, const std::string& strFilePath,
                                 IDownloadProgress* pProgress, const DownloadOptions& options = DownloadOptions());
