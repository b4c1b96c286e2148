#include "os/win32/TransferChannel.h"

#include <utility>

CTransferChannel::CTransferChannel() : m_lastActivity(std::chrono::steady_clock::now())
{
}

CTransferChannel::~CTransferChannel()
{
    if (m_pBinding)
        m_pBinding->Release();
}

HRESULT CTransferChannel::Deliver(RawReport report)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_lastActivity = std::chrono::steady_clock::now();
    if (m_bFinished)
        return E_ABORT;
    if (m_bStopped)
        return m_bAbortIssued ? S_OK : E_ABORT;

    m_pending = std::move(report);
    m_bPending = true;
    m_bAnswered = false;
    m_bWaiting = true;
    m_cv.notify_all();
    m_cv.wait(lock, [this] { return m_bAnswered || m_bStopped; });
    m_bWaiting = false;
    m_bPending = false;
    if (m_bAnswered) {
        m_bAnswered = false;
        return m_hrAnswer;
    }
    // Refusing the report is what ends the binding here: the platform aborts
    // on E_ABORT from this thread, the binding's own.
    return m_bAbortIssued ? S_OK : E_ABORT;
}

bool CTransferChannel::BeginBinding(IBinding* pBinding)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastActivity = std::chrono::steady_clock::now();
    if (m_bStopped || !pBinding)
        return !m_bStopped;
    pBinding->AddRef();
    if (m_pBinding)
        m_pBinding->Release();
    m_pBinding = pBinding;
    return true;
}

void CTransferChannel::EndBinding()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pBinding)
        m_pBinding->Release();
    m_pBinding = nullptr;
}

void CTransferChannel::SetResponse(const Response& response)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastActivity = std::chrono::steady_clock::now();
    m_response = response;
}

bool CTransferChannel::HasResponse() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_response.m_bKnown;
}

void CTransferChannel::Finish(HRESULT hr)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bFinished = true;
    m_hrResult = hr;
    m_cv.notify_all();
}

CTransferChannel::Event CTransferChannel::Wait(std::chrono::milliseconds timeout, RawReport& report)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait_for(lock, timeout, [this] { return m_bPending || m_bFinished; });
    if (m_bPending) {
        report = std::move(m_pending);
        m_bPending = false;
        return Event::Report;
    }
    return m_bFinished ? Event::Finished : Event::None;
}

void CTransferChannel::Answer(HRESULT hr)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hrAnswer = hr;
    m_bAnswered = true;
    m_cv.notify_all();
}

void CTransferChannel::Stop()
{
    IBinding* pBinding = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bStopped || m_bFinished)
            return;
        m_bStopped = true;
        // A transfer thread waiting for an answer gets a refusal, and its
        // binding ends on its own thread. Otherwise it sits in the platform's
        // wait for data that may never come: only an abort from here ends it.
        if (!m_bWaiting && m_pBinding) {
            pBinding = m_pBinding;
            pBinding->AddRef();
            m_bAbortIssued = true;
        }
        m_cv.notify_all();
    }
    if (!pBinding)
        return;
    // Called directly, not through a marshalled proxy: a proxy would wait for
    // the binding thread's message loop, which the synchronous download does
    // not run for COM; the binding posts the abort to its own thread itself.
    const HRESULT hr = pBinding->Abort();
    pBinding->Release();
    if (FAILED(hr)) {
        // Left to the next report, which is then refused.
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bAbortIssued = false;
    }
}

std::chrono::steady_clock::time_point CTransferChannel::GetLastActivity() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastActivity;
}

CTransferChannel::Response CTransferChannel::GetResponse() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_response;
}

HRESULT CTransferChannel::GetResult() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_hrResult;
}
