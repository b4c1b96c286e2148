#include "os/posix/download/CurlTransfer.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <strings.h>
#include <sys/stat.h>

#include "base/Utf8.h"
#include "os/posix/download/TempFile.h"

namespace
{

bool ReadWholeFile(const std::string& strPath, std::string& strContents)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        return false;
    strContents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Value of a header line if it is the named header ("content-type:"), else false.
bool HeaderValue(const std::string& strLine, const char* pszName, std::string& strValue)
{
    const size_t nNameLength = strlen(pszName);
    if (strncasecmp(strLine.c_str(), pszName, nNameLength) != 0)
        return false;
    size_t nStart = nNameLength;
    while (nStart < strLine.size() && (strLine[nStart] == ' ' || strLine[nStart] == '\t'))
        ++nStart;
    strValue = strLine.substr(nStart);
    return true;
}

// A Location value resolved against the URL of the response that carried it.
std::string ResolveUrl(const std::string& strBase, const std::string& strReference)
{
    CURLU* pUrl = curl_url();
    if (!pUrl)
        return strReference;
    std::string strResolved = strReference;
    char* pszResolved = nullptr;
    if (curl_url_set(pUrl, CURLUPART_URL, strBase.c_str(), 0) == CURLUE_OK &&
        curl_url_set(pUrl, CURLUPART_URL, strReference.c_str(), 0) == CURLUE_OK &&
        curl_url_get(pUrl, CURLUPART_URL, &pszResolved, 0) == CURLUE_OK) {
        strResolved = pszResolved;
        curl_free(pszResolved);
    }
    curl_url_cleanup(pUrl);
    return strResolved;
}

std::string TrimLine(const char* pLine, size_t nLength)
{
    while (nLength > 0 && (pLine[nLength - 1] == '\r' || pLine[nLength - 1] == '\n' || pLine[nLength - 1] == ' '))
        --nLength;
    return std::string(pLine, nLength);
}

} // namespace

CCurlTransfer::CCurlTransfer(IDownloadProgress* pProgress, const DownloadOptions& options)
    : m_pCurl(curl_easy_init()), m_pProgress(pProgress), m_options(options)
{
}

CCurlTransfer::~CCurlTransfer()
{
    if (m_pCurl)
        curl_easy_cleanup(m_pCurl);
}

DownloadResult CCurlTransfer::Run(const std::string& strUrl, const std::string& strHost, CTempFile& file)
{
    if (!m_pCurl)
        return DownloadResult::TransferFailed;
    m_pFile = &file;

    CURL* c = m_pCurl;
    curl_easy_setopt(c, CURLOPT_URL, strUrl.c_str());
    // An installer that is about to be run never comes over plain HTTP, not even after a redirect.
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    // Runs on a worker thread: no signals, the resolver is threaded. (libcurl's
    // sockets send with MSG_NOSIGNAL, so a closed peer cannot raise SIGPIPE.)
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(m_options.m_connectTimeout.count()));
    curl_easy_setopt(c, CURLOPT_USERAGENT, "zelqa-setup/1.0");
    // A proxy's answer to CONNECT is not the host's response.
    curl_easy_setopt(c, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &CCurlTransfer::HeaderCallback);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, this);
    // libcurl's own 16 KiB receive buffer: TLS hands over one record (16 KiB
    // at most) per read whatever the buffer's size, so a larger one only
    // costs memory. CTempFile gathers the pieces into large writes.
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &CCurlTransfer::WriteCallback);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &CCurlTransfer::ProgressCallback);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_PREREQFUNCTION, &CCurlTransfer::PrereqCallback);
    curl_easy_setopt(c, CURLOPT_PREREQDATA, this);
    if (!SetCaBundle())
        return DownloadResult::CertificateError;

    if (!Report(0, 0, DOWNLOAD_STATUS_FINDING_RESOURCE, strHost))
        return DownloadResult::Aborted;

    const CURLcode code = curl_easy_perform(c);
    if (m_eFailure != DownloadResult::Ok)
        return m_eFailure;
    if (code != CURLE_OK)
        return ResultFromCode(code);

    long nStatus = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &nStatus);
    if (nStatus < 200 || nStatus > 299 || !m_bAcceptBody)
        return DownloadResult::HttpError;

    if (!file.Close())
        return DownloadResult::FileError;
    if (!Report(m_nReceived, m_nReceived, DOWNLOAD_STATUS_END_DOWNLOAD_DATA, m_strBodyUrl))
        return DownloadResult::Aborted;
    if (!file.MoveIntoPlace())
        return DownloadResult::FileError;
    return DownloadResult::Ok;
}

bool CCurlTransfer::SetCaBundle()
{
    // The system's folder of certificates, where TLS looks a server's issuer
    // up by name, costs only the certificates it needs; the bundle file holds
    // the same ones and is parsed whole, at a megabyte or more of memory per
    // download. So the folder alone, when libcurl knows one.
    char* pszSystemFolder = nullptr;
    struct stat st
    {
    };
    const bool bUseFolder = curl_easy_getinfo(m_pCurl, CURLINFO_CAPATH, &pszSystemFolder) == CURLE_OK &&
                            pszSystemFolder && ::stat(pszSystemFolder, &st) == 0 && S_ISDIR(st.st_mode);
    if (bUseFolder)
        curl_easy_setopt(m_pCurl, CURLOPT_CAINFO, nullptr);

    if (m_options.m_strExtraCaFile.empty())
        return true;
    std::string strCertificates;
    if (!ReadWholeFile(m_options.m_strExtraCaFile, strCertificates) || strCertificates.empty())
        return true;
    // A bundle in memory takes the place of the bundle file; without the
    // folder, the system's certificates go in with the extra ones.
    char* pszSystemBundle = nullptr;
    if (!bUseFolder && curl_easy_getinfo(m_pCurl, CURLINFO_CAINFO, &pszSystemBundle) == CURLE_OK && pszSystemBundle) {
        std::string strSystem;
        ReadWholeFile(pszSystemBundle, strSystem);
        strCertificates = strSystem + "\n" + strCertificates;
    }

    curl_blob blob;
    blob.data = strCertificates.data();
    blob.len = strCertificates.size();
    blob.flags = CURL_BLOB_COPY;
    return curl_easy_setopt(m_pCurl, CURLOPT_CAINFO_BLOB, &blob) == CURLE_OK;
}

bool CCurlTransfer::Report(uint64_t nProgress, uint64_t nProgressMax, ULONG nStatus, const std::string& strText)
{
    return Report(nProgress, nProgressMax, nStatus, FromUtf8(strText));
}

bool CCurlTransfer::Report(uint64_t nProgress, uint64_t nProgressMax, ULONG nStatus, const std::wstring& strText)
{
    if (!m_pProgress)
        return true;
    if (SUCCEEDED(m_pProgress->OnProgress(nProgress, nProgressMax, nStatus, strText.c_str())))
        return true;
    m_eFailure = DownloadResult::Aborted;
    return false;
}

std::string CCurlTransfer::EffectiveUrl() const
{
    char* pszUrl = nullptr;
    curl_easy_getinfo(m_pCurl, CURLINFO_EFFECTIVE_URL, &pszUrl);
    return pszUrl ? pszUrl : "";
}

size_t CCurlTransfer::HeaderCallback(char* pBuffer, size_t nSize, size_t nCount, void* pContext)
{
    return static_cast<CCurlTransfer*>(pContext)->OnHeaderLine(pBuffer, nSize * nCount);
}

size_t CCurlTransfer::WriteCallback(char* pBuffer, size_t nSize, size_t nCount, void* pContext)
{
    return static_cast<CCurlTransfer*>(pContext)->OnBody(pBuffer, nSize * nCount);
}

int CCurlTransfer::ProgressCallback(void* pContext, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<CCurlTransfer*>(pContext)->OnIdle();
}

int CCurlTransfer::PrereqCallback(void* pContext, char* pszPeerIp, char*, int, int)
{
    return static_cast<CCurlTransfer*>(pContext)->OnConnected(pszPeerIp);
}

int CCurlTransfer::OnConnected(const char* pszPeerIp)
{
    m_bWatchStall = true;
    m_lastActivity = std::chrono::steady_clock::now();
    if (!Report(0, 0, DOWNLOAD_STATUS_CONNECTING, pszPeerIp ? pszPeerIp : "") ||
        !Report(0, 0, DOWNLOAD_STATUS_SENDING_REQUEST, ""))
        return CURL_PREREQFUNC_ABORT;
    return CURL_PREREQFUNC_OK;
}

size_t CCurlTransfer::OnHeaderLine(const char* pLine, size_t nLength)
{
    m_lastActivity = std::chrono::steady_clock::now();
    const std::string strLine = TrimLine(pLine, nLength);

    if (strLine.compare(0, 5, "HTTP/") == 0) {
        // A new response (after a redirect or an interim 1xx) starts afresh.
        m_bAcceptBody = false;
        m_strContentType.clear();
        m_strLocation.clear();
        return nLength;
    }
    // Trailers after a chunked body are not a new response.
    if (m_bAcceptBody)
        return nLength;
    if (!strLine.empty()) {
        if (!HeaderValue(strLine, "content-type:", m_strContentType))
            HeaderValue(strLine, "location:", m_strLocation);
        return nLength;
    }

    // End of one response's headers.
    long nStatus = 0;
    curl_easy_getinfo(m_pCurl, CURLINFO_RESPONSE_CODE, &nStatus);
    if (nStatus >= 100 && nStatus < 200)
        return nLength;
    if (nStatus >= 300 && nStatus < 400) {
        // libcurl follows it (its own redirect-URL query answers only when it would not).
        if (m_strLocation.empty()) {
            m_eFailure = DownloadResult::HttpError;
            return 0;
        }
        // The next connection is under the connect timeout again.
        m_bWatchStall = false;
        return Report(0, 0, DOWNLOAD_STATUS_REDIRECTING, ResolveUrl(EffectiveUrl(), m_strLocation)) ? nLength : 0;
    }
    if (nStatus < 200 || nStatus > 299) {
        m_eFailure = DownloadResult::HttpError;
        return 0;
    }

    curl_off_t nLengthHeader = -1;
    curl_easy_getinfo(m_pCurl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &nLengthHeader);
    m_nExpected = nLengthHeader > 0 ? static_cast<uint64_t>(nLengthHeader) : 0;
    m_nReceived = 0;
    m_bAcceptBody = true;
    m_strBodyUrl = FromUtf8(EffectiveUrl());
    if (!m_strContentType.empty() && !Report(0, 0, DOWNLOAD_STATUS_MIME_TYPE_AVAILABLE, m_strContentType))
        return 0;
    return Report(0, m_nExpected, DOWNLOAD_STATUS_BEGIN_DOWNLOAD_DATA, m_strBodyUrl) ? nLength : 0;
}

size_t CCurlTransfer::OnBody(const char* pData, size_t nLength)
{
    m_lastActivity = std::chrono::steady_clock::now();
    if (!m_bAcceptBody || nLength == 0)
        return nLength;
    if (!m_pFile->Write(pData, nLength)) {
        m_eFailure = DownloadResult::FileError;
        return CURL_WRITEFUNC_ERROR;
    }
    m_nReceived += nLength;
    return Report(m_nReceived, m_nExpected, DOWNLOAD_STATUS_DOWNLOADING_DATA, m_strBodyUrl) ? nLength
                                                                                            : CURL_WRITEFUNC_ERROR;
}

int CCurlTransfer::OnIdle()
{
    if (m_pProgress && m_pProgress->IsAbortRequested()) {
        m_eFailure = DownloadResult::Aborted;
        return 1;
    }
    if (m_bWatchStall && std::chrono::steady_clock::now() - m_lastActivity >= m_options.m_stallLimit) {
        m_eFailure = DownloadResult::Stalled;
        return 1;
    }
    return 0;
}

DownloadResult CCurlTransfer::ResultFromCode(CURLcode code)
{
    switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
        return DownloadResult::InvalidUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR: // includes a host that closes the connection during the handshake
        return DownloadResult::ConnectFailed;
    case CURLE_OPERATION_TIMEDOUT: // only the connect timeout is set
        return DownloadResult::ConnectTimeout;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        return DownloadResult::CertificateError;
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_HTTP_RETURNED_ERROR:
        return DownloadResult::HttpError;
    case CURLE_WRITE_ERROR:
        return DownloadResult::FileError;
    case CURLE_ABORTED_BY_CALLBACK:
        return DownloadResult::Aborted;
    default:
        return DownloadResult::TransferFailed;
    }
}
