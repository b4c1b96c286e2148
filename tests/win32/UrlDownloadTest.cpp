#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "os/win32/BindStatusCallback.h"
#include "os/win32/UrlDownload.h"
#include "os/win32/Win32OsServices.h"
#include "VendorHosts.h"
#include "WinTestFolder.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace
{

struct Report
{
    uint64_t m_nProgress;
    uint64_t m_nProgressMax;
    ULONG m_nStatus;
    std::wstring m_strText;
};

// Records every report and every abort question; answers Abort where told to.
class CRecordingProgress : public IDownloadProgress
{
public:
    CRecordingProgress() : m_threadId(GetCurrentThreadId()) {}

    HRESULT OnProgress(uint64_t progress, uint64_t progressMax, ULONG statusCode, LPCWSTR statusText) override
    {
        EXPECT_EQ(GetCurrentThreadId(), m_threadId) << "report on another thread";
        EXPECT_FALSE(m_bAnsweredAbort) << "report after an abort answer";
        EXPECT_NE(statusText, nullptr);
        m_reports.push_back({progress, progressMax, statusCode, statusText ? statusText : L""});
        if (statusCode == DOWNLOAD_STATUS_DOWNLOADING_DATA && !m_bSawData) {
            m_bSawData = true;
            m_firstData = Clock::now();
        }
        if (statusCode == m_nAbortOnStatus) {
            m_bAnsweredAbort = true;
            return E_ABORT;
        }
        return S_OK;
    }

    bool IsAbortRequested() override
    {
        EXPECT_EQ(GetCurrentThreadId(), m_threadId) << "abort question on another thread";
        const Clock::time_point now = Clock::now();
        m_questions.push_back(now);
        if (m_abortAfterData.count() > 0 && m_bSawData && now - m_firstData >= m_abortAfterData) {
            if (m_abortRequested == Clock::time_point())
                m_abortRequested = now;
            return true;
        }
        return false;
    }

    size_t Count(ULONG nStatus) const
    {
        return static_cast<size_t>(std::count_if(m_reports.begin(), m_reports.end(),
                                                 [nStatus](const Report& r) { return r.m_nStatus == nStatus; }));
    }

    std::vector<Report> m_reports;
    std::vector<Clock::time_point> m_questions;
    ULONG m_nAbortOnStatus = 0;
    // Asks for the abort this long after the first byte arrived; 0: never.
    std::chrono::milliseconds m_abortAfterData{0};
    Clock::time_point m_abortRequested;
    bool m_bSawData = false;
    bool m_bAnsweredAbort = false;

private:
    DWORD m_threadId;
    Clock::time_point m_firstData;
};

class UrlDownloadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string strError;
        ASSERT_TRUE(m_hosts.Load(strError)) << strError;
        ASSERT_FALSE(m_folder.Path().empty());
        m_strTarget = m_folder / L"ZELQACONVERT.exe";
        m_strLarge = m_hosts.Payload("large");
        ASSERT_EQ(m_strLarge.size(), 1024u * 1024u + 7u);
        m_options.m_stallLimit = 2s;
    }

    DownloadResult Fetch(const std::wstring& strUrl)
    {
        return CUrlDownload(&m_progress, m_options).Run(strUrl, m_strTarget);
    }

    DownloadResult Fetch(const char* pszHost) { return Fetch(m_hosts.DownloadUrl(pszHost)); }

    bool FolderEmpty() const { return m_folder.Entries().empty(); }

    CVendorHosts m_hosts;
    CWinTestFolder m_folder;
    std::wstring m_strTarget;
    std::string m_strLarge;
    CUrlDownload::Options m_options;
    CRecordingProgress m_progress;
};

// A loopback port that nothing listens on.
int UnusedPort()
{
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 0;
    int nPort = 0;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int nLength = sizeof(address);
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &nLength) == 0)
        nPort = ntohs(address.sin_port);
    if (s != INVALID_SOCKET)
        closesocket(s);
    WSACleanup();
    return nPort;
}

} // namespace

TEST_F(UrlDownloadTest, NormalDownloadIsExactAndReportsRisingProgress)
{
    ASSERT_EQ(Fetch("normal"), DownloadResult::Ok);
    EXPECT_TRUE(CWinTestFolder::ReadFile(m_strTarget) == m_strLarge) << "downloaded bytes differ";
    EXPECT_EQ(m_folder.Entries().size(), 1u);

    const std::vector<Report>& reports = m_progress.m_reports;
    ASSERT_GE(reports.size(), 3u);
    const uint64_t nSize = m_strLarge.size();
    EXPECT_EQ(reports.front().m_nStatus, DOWNLOAD_STATUS_FINDING_RESOURCE);
    EXPECT_EQ(reports.front().m_strText, L"localhost");
    EXPECT_EQ(reports.back().m_nStatus, DOWNLOAD_STATUS_END_DOWNLOAD_DATA);
    EXPECT_EQ(reports.back().m_nProgress, nSize);
    EXPECT_EQ(reports.back().m_nProgressMax, nSize);

    uint64_t nLast = 0;
    size_t nData = 0;
    for (const Report& report : reports) {
        EXPECT_GE(report.m_nProgress, nLast) << "progress fell";
        nLast = report.m_nProgress;
        if (report.m_nStatus == DOWNLOAD_STATUS_BEGIN_DOWNLOAD_DATA ||
            report.m_nStatus == DOWNLOAD_STATUS_DOWNLOADING_DATA) {
            ++nData;
            EXPECT_EQ(report.m_nProgressMax, nSize);
            EXPECT_LE(report.m_nProgress, nSize);
        }
    }
    EXPECT_GT(nData, 1u);
    // Only the statuses the contract names reach the sink.
    for (const Report& report : reports)
        EXPECT_TRUE(report.m_nStatus <= 6 || report.m_nStatus == 11 || report.m_nStatus == 13) << report.m_nStatus;
}

TEST_F(UrlDownloadTest, ErrorStatusFailsWithoutSavingTheErrorPage)
{
    for (const char* pszHost : {"404", "500"}) {
        SCOPED_TRACE(pszHost);
        m_progress.m_reports.clear();
        EXPECT_EQ(Fetch(pszHost), DownloadResult::HttpError);
        EXPECT_EQ(m_progress.Count(DOWNLOAD_STATUS_BEGIN_DOWNLOAD_DATA), 0u);
        EXPECT_EQ(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 0u);
        EXPECT_TRUE(FolderEmpty());
    }
}

TEST_F(UrlDownloadTest, RefusedConnectionFails)
{
    EXPECT_EQ(Fetch("refuse"), DownloadResult::ConnectFailed);
    EXPECT_TRUE(FolderEmpty());

    const int nPort = UnusedPort();
    ASSERT_NE(nPort, 0);
    EXPECT_EQ(Fetch(L"https://localhost:" + std::to_wstring(nPort) + L"/down/down?path=ZELQACONVERT_Download.exe"),
              DownloadResult::ConnectFailed);
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(UrlDownloadTest, ConnectionThatNeverAnswersEndsAtTheLimit)
{
    // Connections to a socket that listens but never accepts complete, and
    // the handshake then waits for ever.
    WSADATA wsa;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int nLength = sizeof(address);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(s, 8), 0);
    ASSERT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&address), &nLength), 0);

    m_options.m_stallLimit = 1s;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Fetch(L"https://localhost:" + std::to_wstring(ntohs(address.sin_port)) + L"/down/down"),
              DownloadResult::ConnectTimeout);
    EXPECT_LT(Clock::now() - start, 4s);
    EXPECT_TRUE(FolderEmpty());
    closesocket(s);
    WSACleanup();
}

TEST_F(UrlDownloadTest, DroppedConnectionFailsWithoutPartialFile)
{
    EXPECT_EQ(Fetch("drop"), DownloadResult::TransferFailed);
    EXPECT_GT(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 0u) << "the host should have sent part of the body";
    EXPECT_EQ(m_progress.Count(DOWNLOAD_STATUS_END_DOWNLOAD_DATA), 0u);
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(UrlDownloadTest, FailedDownloadKeepsAnOlderFile)
{
    ASSERT_TRUE(CWinTestFolder::WriteFile(m_strTarget, "older installer"));
    EXPECT_EQ(Fetch("drop"), DownloadResult::TransferFailed);
    EXPECT_EQ(Fetch("404"), DownloadResult::HttpError);
    EXPECT_EQ(CWinTestFolder::ReadFile(m_strTarget), "older installer");
    EXPECT_EQ(m_folder.Entries().size(), 1u);

    // A complete download replaces it.
    EXPECT_EQ(Fetch("normal"), DownloadResult::Ok);
    EXPECT_TRUE(CWinTestFolder::ReadFile(m_strTarget) == m_strLarge);
    EXPECT_EQ(m_folder.Entries().size(), 1u);
}

TEST_F(UrlDownloadTest, StalledConnectionFailsAfterStallLimit)
{
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Fetch("stall"), DownloadResult::Stalled);
    const Clock::duration elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 2s);
    EXPECT_LT(elapsed, 6s);
    EXPECT_GT(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 0u);
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(UrlDownloadTest, SlowButSteadyTransferIsNotAStall)
{
    // 12 pieces 250 ms apart: never silent for the limit.
    m_options.m_stallLimit = 1s;
    ASSERT_EQ(Fetch("trickle"), DownloadResult::Ok);
    EXPECT_TRUE(CWinTestFolder::ReadFile(m_strTarget) == m_hosts.Payload("small"));
    EXPECT_GE(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 2u);
}

TEST_F(UrlDownloadTest, AbortAnswerEndsTransferWithoutPartialFile)
{
    m_progress.m_nAbortOnStatus = DOWNLOAD_STATUS_DOWNLOADING_DATA;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Fetch("trickle-fast"), DownloadResult::Aborted);
    EXPECT_LT(Clock::now() - start, 5s);
    EXPECT_EQ(m_progress.m_reports.back().m_nStatus, DOWNLOAD_STATUS_DOWNLOADING_DATA);
    EXPECT_LT(m_progress.m_reports.back().m_nProgress, m_strLarge.size());
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(UrlDownloadTest, AbortAnswerToTheLastReportStillFails)
{
    m_progress.m_nAbortOnStatus = DOWNLOAD_STATUS_END_DOWNLOAD_DATA;
    EXPECT_EQ(Fetch("normal"), DownloadResult::Aborted);
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(UrlDownloadTest, AbortRequestEndsSilentTransferWithinASecond)
{
    // The host sends a little and then nothing; the product's stall limit
    // would take 30 s, so only the abort question can end it in time.
    m_options = CUrlDownload::Options();
    m_progress.m_abortAfterData = 500ms;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Fetch("stall"), DownloadResult::Aborted);
    const Clock::time_point end = Clock::now();
    ASSERT_NE(m_progress.m_abortRequested, Clock::time_point());
    EXPECT_LT(end - m_progress.m_abortRequested, 1s);
    EXPECT_LT(end - start, 10s);
    EXPECT_TRUE(FolderEmpty());

    // Asked at least once a second, also while nothing arrived.
    ASSERT_FALSE(m_progress.m_questions.empty());
    EXPECT_LT(m_progress.m_questions.front() - start, 1s);
    for (size_t i = 1; i < m_progress.m_questions.size(); ++i)
        EXPECT_LT(m_progress.m_questions[i] - m_progress.m_questions[i - 1], 1s);
}

TEST_F(UrlDownloadTest, MissingContentLengthStillSucceeds)
{
    ASSERT_EQ(Fetch("nolength"), DownloadResult::Ok);
    EXPECT_TRUE(CWinTestFolder::ReadFile(m_strTarget) == m_strLarge);
    for (const Report& report : m_progress.m_reports) {
        if (report.m_nStatus == DOWNLOAD_STATUS_DOWNLOADING_DATA) {
            EXPECT_EQ(report.m_nProgressMax, 0u) << "size unknown until the end";
        }
    }
    EXPECT_EQ(m_progress.m_reports.back().m_nStatus, DOWNLOAD_STATUS_END_DOWNLOAD_DATA);
    EXPECT_EQ(m_progress.m_reports.back().m_nProgress, m_strLarge.size());
    EXPECT_EQ(m_progress.m_reports.back().m_nProgressMax, m_strLarge.size());
}

TEST_F(UrlDownloadTest, RedirectIsFollowed)
{
    ASSERT_EQ(Fetch("redirect"), DownloadResult::Ok);
    EXPECT_TRUE(CWinTestFolder::ReadFile(m_strTarget) == m_strLarge);
}

TEST_F(UrlDownloadTest, CertificateForAnotherNameFails)
{
    // The host's certificate names "localhost", not this address.
    EXPECT_EQ(Fetch(m_hosts.DownloadUrl("normal", L"127.0.0.1")), DownloadResult::CertificateError);
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(UrlDownloadTest, BadTargetsAndUrlsFailBeforeAnyTransfer)
{
    EXPECT_EQ(CUrlDownload(&m_progress, m_options).Run(m_hosts.DownloadUrl("normal"), m_folder / L"missing\\file.exe"),
              DownloadResult::FileError);
    // An installer that will be run never comes over plain HTTP.
    EXPECT_EQ(Fetch(L"http://localhost:" + std::to_wstring(m_hosts.Port("normal")) + L"/down/down"),
              DownloadResult::InvalidUrl);
    EXPECT_EQ(Fetch(L"not a url"), DownloadResult::InvalidUrl);
    EXPECT_TRUE(m_progress.m_reports.empty());
    EXPECT_TRUE(FolderEmpty());
}

TEST_F(UrlDownloadTest, ServicesDownloadWithTheProductSettings)
{
    CWin32OsServices services;
    ASSERT_EQ(services.DownloadToFile(m_hosts.DownloadUrl("normal"), m_strTarget, &m_progress), DownloadResult::Ok);
    EXPECT_TRUE(CWinTestFolder::ReadFile(m_strTarget) == m_strLarge);
    // A second attempt fetches afresh and replaces the file.
    EXPECT_EQ(services.DownloadToFile(m_hosts.DownloadUrl("normal"), m_strTarget, nullptr), DownloadResult::Ok);
    EXPECT_EQ(m_folder.Entries().size(), 1u);
}

TEST(ResponseHeaders, LengthCountsOnlyForAnUnencodedBody)
{
    CTransferChannel::Response response =
        CBindStatusCallback::ParseResponse(200, L"HTTP/1.1 200 OK\r\ncontent-length:  1048583 \r\nServer: x\r\n\r\n");
    EXPECT_TRUE(response.m_bKnown);
    EXPECT_EQ(response.m_dwStatus, 200u);
    EXPECT_TRUE(response.m_bLengthKnown);
    EXPECT_EQ(response.m_nLength, 1048583u);

    // Beyond 32 bits.
    response = CBindStatusCallback::ParseResponse(200, L"HTTP/1.1 200 OK\r\nContent-Length: 5000000000\r\n");
    EXPECT_EQ(response.m_nLength, 5000000000u);

    for (const wchar_t* pszHeaders :
         {L"HTTP/1.1 200 OK\r\nContent-Length: 12\r\nContent-Encoding: gzip\r\n",
          L"HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n", L"HTTP/1.1 200 OK\r\nX-Content-Length: 12\r\n", L""}) {
        response = CBindStatusCallback::ParseResponse(200, pszHeaders);
        EXPECT_FALSE(response.m_bLengthKnown) << pszHeaders;
    }
    response = CBindStatusCallback::ParseResponse(
        200, L"HTTP/1.1 200 OK\r\nContent-Length: 12\r\nContent-Encoding: identity\r\n");
    EXPECT_TRUE(response.m_bLengthKnown);
    EXPECT_EQ(response.m_nLength, 12u);
}
