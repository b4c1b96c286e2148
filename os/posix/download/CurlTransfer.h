#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include <curl/curl.h>

#include "os/posix/download/PosixDownload.h"

class CTempFile;

// One HTTPS transfer into a temporary file, translating libcurl's callbacks
// into the progress reports of IDownloadProgress.
class CCurlTransfer
{
public:
    CCurlTransfer(IDownloadProgress* pProgress, const DownloadOptions& options);
    ~CCurlTransfer();
    CCurlTransfer(const CCurlTransfer&) = delete;
    CCurlTransfer& operator=(const CCurlTransfer&) = delete;

    // Runs the transfer; on Ok the file has been closed, reported complete
    // and moved into place.
    DownloadResult Run(const std::string& strUrl, const std::string& strHost, CTempFile& file);

private:
    static size_t HeaderCallback(char* pBuffer, size_t nSize, size_t nCount, void* pContext);
    static size_t WriteCallback(char* pBuffer, size_t nSize, size_t nCount, void* pContext);
    static int ProgressCallback(void* pContext, curl_off_t nDlTotal, curl_off_t nDlNow, curl_off_t nUlTotal,
                                curl_off_t nUlNow);
    static int PrereqCallback(void* pContext, char* pszPeerIp, char* pszLocalIp, int nPeerPort, int nLocalPort);

    size_t OnHeaderLine(const char* pLine, size_t nLength);
    size_t OnBody(const char* pData, size_t nLength);
    int OnIdle();
    int OnConnected(const char* pszPeerIp);

    // Passes one report on; false (and the transfer marked aborted) when the sink says stop.
    bool Report(uint64_t nProgress, uint64_t nProgressMax, ULONG nStatus, const std::wstring& strText);
    bool Report(uint64_t nProgress, uint64_t nProgressMax, ULONG nStatus, const std::string& strText);
    bool SetCaBundle();
    std::string EffectiveUrl() const;
    static DownloadResult ResultFromCode(CURLcode code);

    CURL* m_pCurl = nullptr;
    IDownloadProgress* m_pProgress;
    DownloadOptions m_options;
    CTempFile* m_pFile = nullptr;

    // Why a callback ended the transfer; Ok while none did.
    DownloadResult m_eFailure = DownloadResult::Ok;
    // Only a success response's body goes into the file.
    bool m_bAcceptBody = false;
    // The stall limit runs from the moment a connection is made; until then the connect timeout rules.
    bool m_bWatchStall = false;
    uint64_t m_nReceived = 0;
    uint64_t m_nExpected = 0;
    std::string m_strContentType;
    std::string m_strLocation;
    // The URL whose body is being read, found once when its headers end.
    std::wstring m_strBodyUrl;
    std::chrono::steady_clock::time_point m_lastActivity;
};
