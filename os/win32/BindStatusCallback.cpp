#include "os/win32/BindStatusCallback.h"

#include <wininet.h>

#include <cwchar>
#include <cwctype>
#include <new>
#include <string>
#include <utility>

namespace
{

// The value of a header line "Name: value" when it is the named header.
bool HeaderValue(const std::wstring& strLine, const wchar_t* pszName, std::wstring& strValue)
{
    const size_t nName = wcslen(pszName);
    if (strLine.size() <= nName || _wcsnicmp(strLine.c_str(), pszName, nName) != 0 || strLine[nName] != L':')
        return false;
    size_t nStart = nName + 1;
    while (nStart < strLine.size() && (strLine[nStart] == L' ' || strLine[nStart] == L'\t'))
        ++nStart;
    size_t nEnd = strLine.size();
    while (nEnd > nStart && (strLine[nEnd - 1] == L' ' || strLine[nEnd - 1] == L'\t'))
        --nEnd;
    strValue = strLine.substr(nStart, nEnd - nStart);
    return true;
}

bool ParseLength(const std::wstring& strValue, uint64_t& nLength)
{
    if (strValue.empty() || strValue.size() > 19)
        return false;
    uint64_t nValue = 0;
    for (const wchar_t c : strValue) {
        if (c < L'0' || c > L'9')
            return false;
        nValue = nValue * 10 + static_cast<uint64_t>(c - L'0');
    }
    nLength = nValue;
    return true;
}

} // namespace

CBindStatusCallback* CBindStatusCallback::Create(std::shared_ptr<CTransferChannel> pChannel)
{
    return new (std::nothrow) CBindStatusCallback(std::move(pChannel));
}

CBindStatusCallback::CBindStatusCallback(std::shared_ptr<CTransferChannel> pChannel) : m_pChannel(std::move(pChannel))
{
}

CBindStatusCallback::~CBindStatusCallback()
{
    if (m_pBinding)
        m_pBinding->Release();
}

HRESULT CBindStatusCallback::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback))
        *ppv = static_cast<IBindStatusCallback*>(this);
    else if (IsEqualIID(riid, IID_IHttpNegotiate))
        *ppv = static_cast<IHttpNegotiate*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG CBindStatusCallback::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_nRefs));
}

ULONG CBindStatusCallback::Release()
{
    const LONG nRefs = InterlockedDecrement(&m_nRefs);
    if (nRefs == 0)
        delete this;
    return static_cast<ULONG>(nRefs);
}

HRESULT CBindStatusCallback::OnStartBinding(DWORD, IBinding* pib)
{
    if (!m_pChannel->BeginBinding(pib))
        return E_ABORT;
    if (pib) {
        pib->AddRef();
        if (m_pBinding)
            m_pBinding->Release();
        m_pBinding = pib;
    }
    return S_OK;
}

HRESULT CBindStatusCallback::GetPriority(LONG*)
{
    return E_NOTIMPL;
}

HRESULT CBindStatusCallback::OnLowResource(DWORD)
{
    return E_NOTIMPL;
}

HRESULT CBindStatusCallback::OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode, LPCWSTR szStatusText)
{
    if (ulStatusCode == BINDSTATUS_BEGINDOWNLOADDATA || ulStatusCode == BINDSTATUS_MIMETYPEAVAILABLE)
        QueryResponseFromBinding();
    CTransferChannel::RawReport report;
    report.m_nProgress = ulProgress;
    report.m_nProgressMax = ulProgressMax;
    report.m_nStatus = ulStatusCode;
    report.m_strText = szStatusText ? szStatusText : L"";
    return m_pChannel->Deliver(std::move(report));
}

HRESULT CBindStatusCallback::OnStopBinding(HRESULT, LPCWSTR)
{
    m_pChannel->EndBinding();
    if (m_pBinding)
        m_pBinding->Release();
    m_pBinding = nullptr;
    return S_OK;
}

HRESULT CBindStatusCallback::GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo)
{
    if (!grfBINDF || !pbindinfo)
        return E_INVALIDARG;
    // A copy from the cache would be an older installer.
    *grfBINDF = BINDF_GETNEWESTVERSION;
    const ULONG cbSize = pbindinfo->cbSize;
    memset(pbindinfo, 0, cbSize);
    pbindinfo->cbSize = cbSize;
    pbindinfo->dwBindVerb = BINDVERB_GET;
    return S_OK;
}

HRESULT CBindStatusCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*)
{
    return S_OK;
}

HRESULT CBindStatusCallback::OnObjectAvailable(REFIID, IUnknown*)
{
    return S_OK;
}

HRESULT CBindStatusCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* pszAdditionalHeaders)
{
    if (pszAdditionalHeaders)
        *pszAdditionalHeaders = nullptr;
    return S_OK;
}

HRESULT CBindStatusCallback::OnResponse(DWORD dwResponseCode, LPCWSTR szResponseHeaders, LPCWSTR,
                                        LPWSTR* pszAdditionalRequestHeaders)
{
    if (pszAdditionalRequestHeaders)
        *pszAdditionalRequestHeaders = nullptr;
    m_pChannel->SetResponse(ParseResponse(dwResponseCode, szResponseHeaders));
    // Redirects are followed below this level, so anything but a success is
    // the error page, which is not wanted.
    return dwResponseCode >= 200 && dwResponseCode <= 299 ? S_OK : E_ABORT;
}

CTransferChannel::Response CBindStatusCallback::ParseResponse(DWORD dwStatus, LPCWSTR szHeaders)
{
    CTransferChannel::Response response;
    response.m_bKnown = true;
    response.m_dwStatus = dwStatus;
    bool bEncoded = false;
    const std::wstring strHeaders = szHeaders ? szHeaders : L"";
    size_t nStart = 0;
    while (nStart < strHeaders.size()) {
        size_t nEnd = strHeaders.find(L'\n', nStart);
        if (nEnd == std::wstring::npos)
            nEnd = strHeaders.size();
        std::wstring strLine = strHeaders.substr(nStart, nEnd - nStart);
        if (!strLine.empty() && strLine.back() == L'\r')
            strLine.pop_back();
        nStart = nEnd + 1;

        std::wstring strValue;
        if (HeaderValue(strLine, L"Content-Length", strValue))
            response.m_bLengthKnown = ParseLength(strValue, response.m_nLength);
        else if (HeaderValue(strLine, L"Content-Encoding", strValue) && _wcsicmp(strValue.c_str(), L"identity") != 0)
            bEncoded = true;
    }
    // The length then counts encoded bytes; the file gets the decoded body.
    if (bEncoded) {
        response.m_bLengthKnown = false;
        response.m_nLength = 0;
    }
    return response;
}

void CBindStatusCallback::QueryResponseFromBinding()
{
    if (!m_pBinding)
        return;
    CTransferChannel::Response response = m_pChannel->GetResponse();
    bool bChanged = false;

    if (!response.m_bKnown) {
        IWinInetHttpInfo* pHttpInfo = nullptr;
        if (SUCCEEDED(m_pBinding->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(&pHttpInfo))) &&
            pHttpInfo) {
            DWORD dwStatus = 0;
            DWORD cbStatus = sizeof(dwStatus);
            DWORD dwFlags = 0;
            if (pHttpInfo->QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &cbStatus, &dwFlags,
                                     nullptr) == S_OK &&
                dwStatus != 0) {
                wchar_t szHeaders[8192] = {};
                DWORD cbHeaders = sizeof(szHeaders) - sizeof(wchar_t);
                dwFlags = 0;
                if (pHttpInfo->QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, szHeaders, &cbHeaders, &dwFlags, nullptr) != S_OK)
                    szHeaders[0] = L'\0';
                const std::wstring strUrl = response.m_strUrl;
                response = ParseResponse(dwStatus, szHeaders);
                response.m_strUrl = strUrl;
                bChanged = true;
            }
            pHttpInfo->Release();
        }
    }

    if (response.m_strUrl.empty()) {
        IWinInetInfo* pInfo = nullptr;
        if (SUCCEEDED(m_pBinding->QueryInterface(IID_IWinInetInfo, reinterpret_cast<void**>(&pInfo))) && pInfo) {
            wchar_t szUrl[INTERNET_MAX_URL_LENGTH + 1] = {};
            DWORD cbUrl = sizeof(szUrl) - sizeof(wchar_t);
            if (pInfo->QueryOption(INTERNET_OPTION_URL, szUrl, &cbUrl) == S_OK && szUrl[0] != L'\0') {
                response.m_strUrl = szUrl;
                bChanged = true;
            }
            pInfo->Release();
        }
    }
    if (bChanged)
        m_pChannel->SetResponse(response);
}
