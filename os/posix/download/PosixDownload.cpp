#include "os/posix/download/PosixDownload.h"

#include <memory>
#include <mutex>

#include <curl/curl.h>

#include "os/posix/download/CurlTransfer.h"
#include "os/posix/download/TempFile.h"

namespace
{

bool InitCurlOnce()
{
    static std::once_flag s_once;
    static bool s_bOk = false;
    std::call_once(s_once, [] { s_bOk = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return s_bOk;
}

struct CurlUrlDeleter
{
    void operator()(CURLU* pUrl) const { curl_url_cleanup(pUrl); }
};

struct CurlStringDeleter
{
    void operator()(char* psz) const { curl_free(psz); }
};

// The host name of an https URL, or false when strUrl is not one.
bool HostOfHttpsUrl(const std::string& strUrl, std::string& strHost)
{
    std::unique_ptr<CURLU, CurlUrlDeleter> pUrl(curl_url());
    if (!pUrl || curl_url_set(pUrl.get(), CURLUPART_URL, strUrl.c_str(), 0) != CURLUE_OK)
        return false;
    char* pszScheme = nullptr;
    char* pszHost = nullptr;
    if (curl_url_get(pUrl.get(), CURLUPART_SCHEME, &pszScheme, 0) != CURLUE_OK)
        return false;
    std::unique_ptr<char, CurlStringDeleter> scheme(pszScheme);
    if (curl_url_get(pUrl.get(), CURLUPART_HOST, &pszHost, 0) != CURLUE_OK)
        return false;
    std::unique_ptr<char, CurlStringDeleter> host(pszHost);
    if (std::string(pszScheme) != "https")
        return false;
    strHost = pszHost;
    return true;
}

} // namespace

std::string BuildExtraCaFile()
{
#ifdef ZELQA_EXTRA_CA_FILE
    return ZELQA_EXTRA_CA_FILE;
#else
    return std::string();
#endif
}

void PrepareDownloadLibrary()
{
    InitCurlOnce();
}

DownloadResult DownloadUrlToFile(const std::string& strUrl, const std::string& strFilePath,
                                 IDownloadProgress* pProgress, const DownloadOptions& options)
{
    std::string strHost;
    if (!HostOfHttpsUrl(strUrl, strHost))
        return DownloadResult::InvalidUrl;
    if (!InitCurlOnce())
        return DownloadResult::TransferFailed;

    CTempFile file;
    if (!file.Create(strFilePath))
        return DownloadResult::FileError;
    CCurlTransfer transfer(pProgress, options);
    return transfer.Run(strUrl, strHost, file);
}
