#include "os/win32/UrlDownload.h"

#include <windows.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <thread>
#include <utility>

#include "os/win32/BindStatusCallback.h"
#include "os/win32/ComApartment.h"

CUrlDownload::CUrlDownload(IDownloadProgress* pProgress) : m_pProgress(pProgress)
{
}

CUrlDownload::CUrlDownload(IDownloadProgress* pProgress, const Options& options)
    : m_pProgress(pProgress), m_options(options)
{
}

bool CUrlDownload::IsHttpsUrl(const std::wstring& strUrl, std::wstring* pHost)
{
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwSchemeLength = 1;
    parts.dwHostNameLength = 1;
    if (strUrl.empty() || !InternetCrackUrlW(strUrl.c_str(), static_cast<DWORD>(strUrl.size()), 0, &parts))
        return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTPS || !parts.lpszHostName || parts.dwHostNameLength == 0)
        return false;
    if (pHost)
        pHost->assign(parts.lpszHostName, parts.dwHostNameLength);
    return true;
}

DownloadResult CUrlDownload::ResultFromHresult(HRESULT hr, bool bHostAnswered)
{
    switch (hr) {
    case S_OK:
        return DownloadResult::Ok;
    case E_ABORT:
        return DownloadResult::Aborted;
    case INET_E_INVALID_URL:
    case INET_E_UNKNOWN_PROTOCOL:
    case MK_E_SYNTAX:
        return DownloadResult::InvalidUrl;
    case INET_E_RESOURCE_NOT_FOUND: // the host name is not known
    case INET_E_CANNOT_CONNECT:
    case INET_E_NO_SESSION:
        return DownloadResult::ConnectFailed;
    case INET_E_CONNECTION_TIMEOUT:
        return DownloadResult::ConnectTimeout;
    case INET_E_INVALID_CERTIFICATE:
    case INET_E_SECURITY_PROBLEM:
        return DownloadResult::CertificateError;
    case INET_E_OBJECT_NOT_FOUND:
    case INET_E_REDIRECT_FAILED:
    case INET_E_REDIRECT_TO_DIR:
        return DownloadResult::HttpError;
    case E_ACCESSDENIED:
    case STG_E_ACCESSDENIED:
    case STG_E_MEDIUMFULL:
    case STG_E_WRITEFAULT:
    case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND):
    case HRESULT_FROM_WIN32(ERROR_DISK_FULL):
    case HRESULT_FROM_WIN32(ERROR_HANDLE_DISK_FULL):
    case HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION):
        return DownloadResult::FileError;
    default:
        return bHostAnswered ? DownloadResult::TransferFailed : DownloadResult::ConnectFailed;
    }
}

void CUrlDownload::RunTransfer(std::shared_ptr<CTransferChannel> pChannel, std::wstring strUrl, std::wstring strFile)
{
    HRESULT hr = E_OUTOFMEMORY;
    {
        // The binding belongs to this thread's apartment, and its
        // notifications come through this thread's messages.
        CComApartment apartment;
        if (CBindStatusCallback* pCallback = CBindStatusCallback::Create(pChannel)) {
            hr = URLDownloadToFileW(nullptr, strUrl.c_str(), strFile.c_str(), 0, pCallback);
            pCallback->Release();
        }
    }
    pChannel->Finish(hr);
}

DownloadResult CUrlDownload::Run(const std::wstring& strUrl, const std::wstring& strPath)
{
    std::wstring strHost;
    if (!IsHttpsUrl(strUrl, &strHost))
        return DownloadResult::InvalidUrl;
    CPartFile file;
    if (!file.Create(strPath))
        return DownloadResult::FileError;
    // The platform would otherwise be free to hand back a copy of an earlier attempt.
    DeleteUrlCacheEntryW(strUrl.c_str());
    // Reported here rather than passed on, so that every platform's first report is the same.
    if (FAILED(Report(0, 0, DOWNLOAD_STATUS_FINDING_RESOURCE, strHost)))
        return DownloadResult::Aborted;

    m_pChannel = std::make_shared<CTransferChannel>();
    std::thread transfer;
    try {
        transfer = std::thread(&CUrlDownload::RunTransfer, m_pChannel, strUrl, file.GetPath());
    } catch (...) {
        return DownloadResult::TransferFailed;
    }

    auto lastPoll = std::chrono::steady_clock::now();
    bool bStopped = false;
    for (;;) {
        CTransferChannel::RawReport raw;
        const CTransferChannel::Event event = m_pChannel->Wait(m_options.m_pollInterval, raw);
        if (event == CTransferChannel::Event::Finished)
            break;
        if (event == CTransferChannel::Event::Report && m_eVerdict == DownloadResult::Ok) {
            const HRESULT hrAnswer = OnTransferReport(raw);
            // A report that ends the transfer is refused by the stop below.
            if (m_eVerdict == DownloadResult::Ok)
                m_pChannel->Answer(hrAnswer);
        }

        const auto now = std::chrono::steady_clock::now();
        if (m_eVerdict == DownloadResult::Ok && now - lastPoll >= m_options.m_pollInterval) {
            lastPoll = now;
            if (m_pProgress && m_pProgress->IsAbortRequested())
                SetVerdict(DownloadResult::Aborted);
        }
        if (m_eVerdict == DownloadResult::Ok && now - m_pChannel->GetLastActivity() >= m_options.m_stallLimit)
            SetVerdict(m_bBodyStarted || m_pChannel->HasResponse() ? DownloadResult::Stalled
                                                                   : DownloadResult::ConnectTimeout);
        if (m_eVerdict != DownloadResult::Ok && !bStopped) {
            bStopped = true;
            m_pChannel->Stop();
        }
    }
    transfer.join();

    if (m_eVerdict != DownloadResult::Ok)
        return m_eVerdict;
    return Finish(file);
}

DownloadResult CUrlDownload::Finish(CPartFile& file)
{
    const CTransferChannel::Response response = m_pChannel->GetResponse();
    if (response.m_bKnown && (response.m_dwStatus < 200 || response.m_dwStatus > 299))
        return DownloadResult::HttpError;
    const HRESULT hr = m_pChannel->GetResult();
    if (hr != S_OK)
        return ResultFromHresult(FAILED(hr) ? hr : E_FAIL, response.m_bKnown || m_bBodyStarted);

    uint64_t nSize = 0;
    if (!file.GetSize(nSize))
        return DownloadResult::FileError;
    // The platform takes a connection that ends early for the end of the body.
    if (response.m_bLengthKnown && nSize != response.m_nLength)
        return DownloadResult::TransferFailed;
    // Received but not written.
    if (nSize < m_nReceived)
        return DownloadResult::FileError;
    if (FAILED(Report(nSize, nSize, DOWNLOAD_STATUS_END_DOWNLOAD_DATA, response.m_strUrl)))
        return DownloadResult::Aborted;
    if (!file.MoveIntoPlace())
        return DownloadResult::FileError;
    return DownloadResult::Ok;
}

HRESULT CUrlDownload::OnTransferReport(const CTransferChannel::RawReport& raw)
{
    switch (raw.m_nStatus) {
    case BINDSTATUS_CONNECTING:
    case BINDSTATUS_SENDINGREQUEST:
        return Report(m_nLastReported, 0, raw.m_nStatus, raw.m_strText);
    case BINDSTATUS_REDIRECTING:
        // An installer that is about to be run never comes over plain HTTP.
        if (!IsHttpsUrl(raw.m_strText)) {
            SetVerdict(DownloadResult::InvalidUrl);
            return E_ABORT;
        }
        return Report(m_nLastReported, 0, raw.m_nStatus, raw.m_strText);
    case BINDSTATUS_MIMETYPEAVAILABLE:
        if (RefuseResponse())
            return E_ABORT;
        return Report(m_nLastReported, 0, raw.m_nStatus, raw.m_strText);
    case BINDSTATUS_BEGINDOWNLOADDATA: {
        if (RefuseResponse())
            return E_ABORT;
        m_bBodyStarted = true;
        // The platform's first report already carries the first bytes; the
        // sink sees the start and the bytes apart, as on every platform.
        const uint64_t nExpected = ExpectedLength(raw);
        const HRESULT hr = Report(m_nLastReported, nExpected, raw.m_nStatus, raw.m_strText);
        if (FAILED(hr) || raw.m_nProgress == 0)
            return hr;
        NoteReceived(raw.m_nProgress);
        return Report(m_nReceived, nExpected, BINDSTATUS_DOWNLOADINGDATA, raw.m_strText);
    }
    case BINDSTATUS_DOWNLOADINGDATA:
        if (RefuseResponse())
            return E_ABORT;
        m_bBodyStarted = true;
        NoteReceived(raw.m_nProgress);
        return Report(m_nReceived, ExpectedLength(raw), raw.m_nStatus, raw.m_strText);
    case BINDSTATUS_ENDDOWNLOADDATA:
        // The last report is made once the file has been checked.
        NoteReceived(raw.m_nProgress);
        return S_OK;
    default:
        // Finding the resource was reported at the start; the rest
        // (cache file names, ranges, ...) is not part of the contract.
        return S_OK;
    }
}

bool CUrlDownload::RefuseResponse()
{
    const CTransferChannel::Response response = m_pChannel->GetResponse();
    if (response.m_bKnown && (response.m_dwStatus < 200 || response.m_dwStatus > 299)) {
        SetVerdict(DownloadResult::HttpError);
        return true;
    }
    if (!response.m_strUrl.empty() && !IsHttpsUrl(response.m_strUrl)) {
        SetVerdict(DownloadResult::InvalidUrl);
        return true;
    }
    return false;
}

uint64_t CUrlDownload::ExpectedLength(const CTransferChannel::RawReport& raw) const
{
    const CTransferChannel::Response response = m_pChannel->GetResponse();
    if (response.m_bKnown)
        return response.m_bLengthKnown ? response.m_nLength : 0;
    return raw.m_nProgressMax;
}

void CUrlDownload::NoteReceived(ULONG nProgress)
{
    // The platform counts in 32 bits; a smaller count than before has wrapped.
    const uint64_t nHigh = m_nReceived & ~static_cast<uint64_t>(0xFFFFFFFFu);
    uint64_t nReceived = nHigh | nProgress;
    if (nReceived < m_nReceived)
        nReceived += static_cast<uint64_t>(1) << 32;
    m_nReceived = nReceived;
}

HRESULT CUrlDownload::Report(uint64_t nProgress, uint64_t nProgressMax, ULONG nStatus, const std::wstring& strText)
{
    nProgress = std::max(nProgress, m_nLastReported);
    m_nLastReported = nProgress;
    if (!m_pProgress)
        return S_OK;
    const HRESULT hr = m_pProgress->OnProgress(nProgress, nProgressMax, nStatus, strText.c_str());
    if (FAILED(hr))
        SetVerdict(DownloadResult::Aborted);
    return hr;
}

void CUrlDownload::SetVerdict(DownloadResult eResult)
{
    if (m_eVerdict == DownloadResult::Ok)
        m_eVerdict = eResult;
}
