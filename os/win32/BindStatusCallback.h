#pragma once

#include <memory>

#include <windows.h>
#include <urlmon.h>

#include "os/win32/TransferChannel.h"

// The bind-status callback of one URL-moniker transfer: passes each progress
// report through the channel to the thread that asked for the download, keeps
// the binding there so that it can be aborted, and learns the host's answer
// (status, length) by taking part in the HTTP negotiation. A heap object
// counted by references: the platform may release it after the transfer call
// has returned, and then it touches nothing but the channel it co-owns.
class CBindStatusCallback : public IBindStatusCallback, public IHttpNegotiate
{
public:
    // Made with one reference, the creator's.
    static CBindStatusCallback* Create(std::shared_ptr<CTransferChannel> pChannel);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IBindStatusCallback
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD dwReserved, IBinding* pib) override;
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* pnPriority) override;
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override;
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode,
                                         LPCWSTR szStatusText) override;
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT hresult, LPCWSTR szError) override;
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* grfBINDF, BINDINFO* pbindinfo) override;
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD grfBSCF, DWORD dwSize, FORMATETC* pformatetc,
                                              STGMEDIUM* pstgmed) override;
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* punk) override;

    // IHttpNegotiate
    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR szURL, LPCWSTR szHeaders, DWORD dwReserved,
                                                   LPWSTR* pszAdditionalHeaders) override;
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD dwResponseCode, LPCWSTR szResponseHeaders, LPCWSTR szRequestHeaders,
                                         LPWSTR* pszAdditionalRequestHeaders) override;

    // The status, length and final URL of a response in raw header form
    // ("HTTP/1.1 200 OK\r\nContent-Length: 12\r\n..."), as far as they are there.
    static CTransferChannel::Response ParseResponse(DWORD dwStatus, LPCWSTR szHeaders);

private:
    explicit CBindStatusCallback(std::shared_ptr<CTransferChannel> pChannel);
    virtual ~CBindStatusCallback();

    // Asks the binding itself for the answer when no negotiation told it.
    void QueryResponseFromBinding();

    LONG m_nRefs = 1;
    std::shared_ptr<CTransferChannel> m_pChannel;
    // Only the binding's own thread uses this: from OnStartBinding to OnStopBinding.
    IBinding* m_pBinding = nullptr;
};
