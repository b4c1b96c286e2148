#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include <windows.h>
#include <urlmon.h>

// What the thread that runs one URL-moniker transfer and the thread that asked
// for the download share. The transfer thread hands each progress report over
// and waits for the answer, so the reports reach the caller's sink on the
// caller's thread and in order; the calling thread stops the transfer, also
// while no report comes. Shared by reference count with the bind-status
// callback object, which the platform may keep a little after the transfer.
class CTransferChannel
{
public:
    // One progress report as the platform gave it.
    struct RawReport
    {
        ULONG m_nProgress = 0;
        ULONG m_nProgressMax = 0;
        ULONG m_nStatus = 0;
        std::wstring m_strText;
    };

    // What is known of the host's answer.
    struct Response
    {
        bool m_bKnown = false;
        DWORD m_dwStatus = 0;
        // The body's announced length; unknown without Content-Length or when
        // the body is encoded (what is written is then the decoded body).
        bool m_bLengthKnown = false;
        uint64_t m_nLength = 0;
        // The URL the body comes from after redirects; empty when unknown.
        std::wstring m_strUrl;
    };

    enum class Event
    {
        None,
        Report,
        Finished,
    };

    CTransferChannel();
    ~CTransferChannel();
    CTransferChannel(const CTransferChannel&) = delete;
    CTransferChannel& operator=(const CTransferChannel&) = delete;

    // --- Transfer thread ---

    // Passes a report on and waits for the caller's answer; once the caller
    // has stopped the transfer, answers at once without passing it on.
    HRESULT Deliver(RawReport report);
    // Keeps the binding so that the caller can abort it; false when the
    // caller has already stopped the transfer.
    bool BeginBinding(IBinding* pBinding);
    void EndBinding();
    void SetResponse(const Response& response);
    bool HasResponse() const;
    // The transfer call has returned with hr.
    void Finish(HRESULT hr);

    // --- Calling thread ---

    // Waits up to `timeout` for a report (which must then be answered with
    // Answer, or the transfer stopped) or for the end of the transfer.
    Event Wait(std::chrono::milliseconds timeout, RawReport& report);
    void Answer(HRESULT hr);
    // Ends the transfer as soon as the platform lets it: a report being
    // waited on is refused, the binding aborted; later reports are refused.
    void Stop();
    std::chrono::steady_clock::time_point GetLastActivity() const;
    Response GetResponse() const;
    HRESULT GetResult() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;

    RawReport m_pending;
    bool m_bPending = false;
    // The transfer thread waits in Deliver for an answer.
    bool m_bWaiting = false;
    bool m_bAnswered = false;
    HRESULT m_hrAnswer = S_OK;

    IBinding* m_pBinding = nullptr;
    bool m_bStopped = false;
    // The caller aborts the binding itself; reports that still come need no refusal.
    bool m_bAbortIssued = false;

    Response m_response;
    std::chrono::steady_clock::time_point m_lastActivity;
    bool m_bFinished = false;
    HRESULT m_hrResult = E_FAIL;
};
