#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Utf8.h"
#include "engine/BindCallback.h"
#include "engine/InstallEngine.h"
#include "os/posix/PosixOsServices.h"
#include "os/posix/download/PosixDownload.h"
#include "tests/engine/FakeInstallView.h"
#include "VendorHostProcess.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace
{

const char DOWNLOAD_PATH[] = "/down/down?path=ZELQACONVERT_Download.exe";

struct Report
{
    uint64_t m_nProgress;
    uint64_t m_nProgressMax;
    uint32_t m_nStatus;
    std::string m_strText;
};

// Records every report; can answer Abort at a chosen point.
class CRecordingProgress : public IDownloadProgress
{
public:
    HRESULT OnProgress(uint64_t progress, uint64_t progressMax, ULONG statusCode, LPCWSTR statusText) override
    {
        EXPECT_FALSE(m_bAnsweredAbort) << "report after an abort answer";
        EXPECT_NE(statusText, nullptr);
        m_reports.push_back({progress, progressMax, statusCode, statusText ? ToUtf8(statusText) : ""});
        if (statusCode == DOWNLOAD_STATUS_DOWNLOADING_DATA)
            m_bSawData = true;
        if (statusCode == m_nAbortOnStatus) {
            m_bAnsweredAbort = true;
            return E_ABORT;
        }
        return S_OK;
    }

    bool IsAbortRequested() override { return (m_bRequestAbortAfterData && m_bSawData) || m_bAbortNow; }

    std::vector<uint32_t> Statuses() const
    {
        std::vector<uint32_t> statuses;
        for (const Report& report : m_reports)
            statuses.push_back(report.m_nStatus);
        return statuses;
    }

    size_t Count(uint32_t nStatus) const
    {
        size_t nCount = 0;
        for (const Report& report : m_reports)
            nCount += report.m_nStatus == nStatus;
        return nCount;
    }

    std::vector<Report> m_reports;
    uint32_t m_nAbortOnStatus = 0;
    bool m_bRequestAbortAfterData = false;
    std::atomic<bool> m_bSawData{false};
    bool m_bAnsweredAbort = false;
    std::atomic<bool> m_bAbortNow{false};
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t ModeOf(const fs::path& path)
{
    struct stat st
    {
    };
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

std::string RandomBytes(size_t nSize)
{
    std::mt19937 random(12345);
    std::string strData(nSize, '\0');
    for (char& c : strData)
        c = static_cast<char>(random() & 0xFF);
    return strData;
}

class DownloadTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // A proxy in the environment must not see the loopback traffic.
        setenv("NO_PROXY", "localhost,127.0.0.1", 1);
        setenv("no_proxy", "localhost,127.0.0.1", 1);
    }

    void SetUp() override
    {
        std::string strTemplate = (fs::temp_directory_path() / "zelqa-download-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_folder = strTemplate;
        m_payloadFolder = m_folder / "payload";
        m_targetFolder = m_folder / "target";
        fs::create_directory(m_payloadFolder);
        fs::create_directory(m_targetFolder);
        // Ours alone whatever the umask, or every download would be refused.
        fs::permissions(m_targetFolder, static_cast<fs::perms>(0755));
        m_target = m_targetFolder / "ZELQACONVERT.exe";
        m_options.m_strExtraCaFile = ZELQA_TEST_CA_FILE;
        m_options.m_stallLimit = 2s;
        m_options.m_connectTimeout = 5s;
        SetPayload(RandomBytes(1024 * 1024 + 7));
    }

    void TearDown() override
    {
        m_host.Stop();
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    void SetPayload(const std::string& strPayload)
    {
        m_strPayload = strPayload;
        std::ofstream(m_payloadFolder / "payload.bin", std::ios::binary) << strPayload;
    }

    void StartHost(const std::string& strMode, std::vector<std::string> extraArgs = {})
    {
        std::vector<std::string> args = {"--mode", strMode, "--payload", (m_payloadFolder / "payload.bin").string()};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::string strError;
        ASSERT_TRUE(m_host.Start(args, strError)) << strError;
    }

    std::string Url(const std::string& strHost = "localhost") const
    {
        return "https://" + strHost + ":" + std::to_string(m_host.GetPort()) + DOWNLOAD_PATH;
    }

    DownloadResult Fetch(IDownloadProgress* pProgress = nullptr)
    {
        return DownloadUrlToFile(Url(), m_target.string(), pProgress ? pProgress : &m_progress, m_options);
    }

    // The target folder holds nothing: no file, no temporary left behind.
    bool TargetFolderEmpty() const { return fs::is_empty(m_targetFolder); }

    fs::path m_folder;
    fs::path m_payloadFolder;
    fs::path m_targetFolder;
    fs::path m_target;
    std::string m_strPayload;
    DownloadOptions m_options;
    CRecordingProgress m_progress;
    CVendorHostProcess m_host;
};

TEST_F(DownloadTest, NormalDownloadIsExactAndReportsRisingProgress)
{
    StartHost("normal");
    ASSERT_EQ(Fetch(), DownloadResult::Ok);

    EXPECT_TRUE(ReadFile(m_target) == m_strPayload) << "downloaded bytes differ";
    EXPECT_EQ(std::distance(fs::directory_iterator(m_targetFolder), fs::directory_iterator()), 1);

    const std::vector<Report>& reports = m_progress.m_reports;
    ASSERT_GE(reports.size(), 6u);
    const uint64_t nSize = m_strPayload.size();
    EXPECT_EQ(reports.front().m_nStatus, DOWNLOAD_STATUS_FINDING_RESOURCE);
    EXPECT_EQ(reports.front().m_strText, "localhost");
    EXPECT_EQ(reports[1].m_nStatus, DOWNLOAD_STATUS_CONNECTING);
    EXPECT_EQ(reports[1].m_strText, "127.0.0.1");
    EXPECT_EQ(reports[2].m_nStatus, DOWNLOAD_STATUS_SENDING_REQUEST);
    EXPECT_EQ(reports[3].m_nStatus, DOWNLOAD_STATUS_MIME_TYPE_AVAILABLE);
    EXPECT_EQ(reports[3].m_strText, "application/octet-stream");
    EXPECT_EQ(reports[4].m_nStatus, DOWNLOAD_STATUS_BEGIN_DOWNLOAD_DATA);
    EXPECT_EQ(reports[4].m_nProgressMax, nSize);

    uint64_t nLast = 0;
    for (size_t i = 5; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i].m_nStatus, DOWNLOAD_STATUS_DOWNLOADING_DATA);
        EXPECT_GT(reports[i].m_nProgress, nLast);
        EXPECT_EQ(reports[i].m_nProgressMax, nSize);
        nLast = reports[i].m_nProgress;
    }
    EXPECT_EQ(nLast, nSize);
    EXPECT_EQ(reports.back().m_nStatus, DOWNLOAD_STATUS_END_DOWNLOAD_DATA);
    EXPECT_EQ(reports.back().m_nProgress, nSize);
    EXPECT_EQ(reports.back().m_nProgressMax, nSize);
}

// The library readied on one thread while a download starts on another: the
// download waits for it and is whole.
TEST_F(DownloadTest, ADownloadStartedWhileTheLibraryIsReadiedIsWhole)
{
    StartHost("normal");
    std::thread preparing(PrepareDownloadLibrary);
    const DownloadResult result = Fetch();
    preparing.join();
    ASSERT_EQ(result, DownloadResult::Ok);
    EXPECT_TRUE(ReadFile(m_target) == m_strPayload);
}

TEST_F(DownloadTest, ErrorStatusFailsAndLeavesNoFile)
{
    for (const char* pszMode : {"404", "500"}) {
        SCOPED_TRACE(pszMode);
        m_progress.m_reports.clear();
        StartHost(pszMode);
        EXPECT_EQ(Fetch(), DownloadResult::HttpError);
        EXPECT_EQ(m_progress.Count(DOWNLOAD_STATUS_BEGIN_DOWNLOAD_DATA), 0u);
        EXPECT_EQ(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 0u);
        EXPECT_TRUE(TargetFolderEmpty());
        m_host.Stop();
    }
}

TEST_F(DownloadTest, RefusedConnectionFails)
{
    StartHost("refuse");
    EXPECT_EQ(Fetch(), DownloadResult::ConnectFailed);
    EXPECT_TRUE(TargetFolderEmpty());
    const std::string strUrl = Url();
    m_host.Stop();

    // Nobody listening on the port any more.
    EXPECT_EQ(DownloadUrlToFile(strUrl, m_target.string(), &m_progress, m_options), DownloadResult::ConnectFailed);
    EXPECT_TRUE(TargetFolderEmpty());
}

TEST_F(DownloadTest, ConnectionThatNeverAnswersHitsConnectTimeout)
{
    // The kernel completes TCP connections to a listening socket that is never
    // accepted, so the client waits in its TLS handshake.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof(address);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(fd, 8), 0);
    ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &nLength), 0);
    const std::string strUrl = "https://localhost:" + std::to_string(ntohs(address.sin_port)) + DOWNLOAD_PATH;

    m_options.m_connectTimeout = 500ms;
    m_options.m_stallLimit = 30s;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DownloadUrlToFile(strUrl, m_target.string(), &m_progress, m_options), DownloadResult::ConnectTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(TargetFolderEmpty());
    close(fd);
}

TEST_F(DownloadTest, DroppedConnectionFailsWithoutPartialFile)
{
    StartHost("drop");
    EXPECT_EQ(Fetch(), DownloadResult::TransferFailed);
    EXPECT_GT(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 0u) << "the host should have sent part of the body";
    EXPECT_EQ(m_progress.Count(DOWNLOAD_STATUS_END_DOWNLOAD_DATA), 0u);
    EXPECT_TRUE(TargetFolderEmpty());
}

TEST_F(DownloadTest, StalledConnectionFailsAfterStallLimit)
{
    StartHost("stall");
    m_options.m_stallLimit = 1s;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(), DownloadResult::Stalled);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 1s);
    EXPECT_LT(elapsed, 5s);
    EXPECT_GT(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 0u);
    EXPECT_TRUE(TargetFolderEmpty());
}

TEST_F(DownloadTest, SlowButSteadyTransferIsNotAStall)
{
    // 12 pieces, 250 ms apart: far slower than the stall limit allows in
    // bytes per second, but never silent for the limit.
    SetPayload(RandomBytes(12 * 1000));
    StartHost("trickle", {"--trickle-bytes", "1000", "--trickle-interval-ms", "250"});
    m_options.m_stallLimit = 1s;
    ASSERT_EQ(Fetch(), DownloadResult::Ok);
    EXPECT_TRUE(ReadFile(m_target) == m_strPayload);
    EXPECT_GE(m_progress.Count(DOWNLOAD_STATUS_DOWNLOADING_DATA), 12u);
}

TEST_F(DownloadTest, AbortAnswerEndsTransferWithoutPartialFile)
{
    StartHost("trickle", {"--trickle-bytes", "65536", "--trickle-interval-ms", "20"});
    m_progress.m_nAbortOnStatus = DOWNLOAD_STATUS_DOWNLOADING_DATA;
    EXPECT_EQ(Fetch(), DownloadResult::Aborted);
    EXPECT_EQ(m_progress.m_reports.back().m_nStatus, DOWNLOAD_STATUS_DOWNLOADING_DATA);
    EXPECT_LT(m_progress.m_reports.back().m_nProgress, m_strPayload.size());
    EXPECT_TRUE(TargetFolderEmpty());
}

TEST_F(DownloadTest, AbortAnswerToTheLastReportStillFails)
{
    StartHost("normal");
    m_progress.m_nAbortOnStatus = DOWNLOAD_STATUS_END_DOWNLOAD_DATA;
    EXPECT_EQ(Fetch(), DownloadResult::Aborted);
    EXPECT_TRUE(TargetFolderEmpty());
}

TEST_F(DownloadTest, AbortRequestEndsStalledTransferPromptly)
{
    StartHost("stall");
    m_options.m_stallLimit = 30s;
    m_progress.m_bRequestAbortAfterData = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(), DownloadResult::Aborted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(TargetFolderEmpty());
}

TEST_F(DownloadTest, MissingContentLengthStillSucceeds)
{
    StartHost("nolength");
    ASSERT_EQ(Fetch(), DownloadResult::Ok);
    EXPECT_TRUE(ReadFile(m_target) == m_strPayload);
    uint64_t nLast = 0;
    for (const Report& report : m_progress.m_reports) {
        if (report.m_nStatus != DOWNLOAD_STATUS_DOWNLOADING_DATA)
            continue;
        EXPECT_EQ(report.m_nProgressMax, 0u) << "size unknown until the end";
        EXPECT_GT(report.m_nProgress, nLast);
        nLast = report.m_nProgress;
    }
    EXPECT_EQ(m_progress.m_reports.back().m_nStatus, DOWNLOAD_STATUS_END_DOWNLOAD_DATA);
    EXPECT_EQ(m_progress.m_reports.back().m_nProgress, m_strPayload.size());
    EXPECT_EQ(m_progress.m_reports.back().m_nProgressMax, m_strPayload.size());
}

TEST_F(DownloadTest, RedirectIsFollowed)
{
    StartHost("redirect");
    ASSERT_EQ(Fetch(), DownloadResult::Ok);
    EXPECT_TRUE(ReadFile(m_target) == m_strPayload);
    ASSERT_EQ(m_progress.Count(DOWNLOAD_STATUS_REDIRECTING), 1u);
    const std::vector<uint32_t> statuses = m_progress.Statuses();
    const auto redirect = std::find(statuses.begin(), statuses.end(), DOWNLOAD_STATUS_REDIRECTING);
    const Report& report = m_progress.m_reports[static_cast<size_t>(redirect - statuses.begin())];
    EXPECT_EQ(report.m_strText,
              "https://localhost:" + std::to_string(m_host.GetPort()) + "/files/ZELQACONVERT_Download.exe");
    // The data reports come after the redirect.
    EXPECT_LT(redirect - statuses.begin(),
              std::find(statuses.begin(), statuses.end(), DOWNLOAD_STATUS_BEGIN_DOWNLOAD_DATA) - statuses.begin());
}

TEST_F(DownloadTest, UntrustedCertificateFails)
{
    StartHost("normal");
    m_options.m_strExtraCaFile.clear(); // the system store alone does not know the test CA
    EXPECT_EQ(Fetch(), DownloadResult::CertificateError);
    EXPECT_TRUE(TargetFolderEmpty());

    // Trusted CA, but the certificate is for "localhost", not this address.
    m_options.m_strExtraCaFile = ZELQA_TEST_CA_FILE;
    EXPECT_EQ(DownloadUrlToFile(Url("127.0.0.1"), m_target.string(), &m_progress, m_options),
              DownloadResult::CertificateError);
    EXPECT_TRUE(TargetFolderEmpty());
}

TEST_F(DownloadTest, DefaultOptionsTrustWhatTheBuildTrusts)
{
    StartHost("normal");
    const std::string strBuildCa = ZELQA_BUILD_EXTRA_CA_FILE;
    EXPECT_EQ(DownloadOptions().m_strExtraCaFile, strBuildCa);
    const DownloadResult eResult = DownloadUrlToFile(Url(), m_target.string(), nullptr);
    EXPECT_EQ(eResult, strBuildCa.empty() ? DownloadResult::CertificateError : DownloadResult::Ok);
}

TEST_F(DownloadTest, BadTargetsAndUrlsFailBeforeAnyTransfer)
{
    StartHost("normal");
    EXPECT_EQ(DownloadUrlToFile(Url(), (m_targetFolder / "missing" / "file.exe").string(), &m_progress, m_options),
              DownloadResult::FileError);
    // An installer that will be run never comes over plain HTTP.
    EXPECT_EQ(DownloadUrlToFile("http://localhost:" + std::to_string(m_host.GetPort()) + DOWNLOAD_PATH,
                                m_target.string(), &m_progress, m_options),
              DownloadResult::InvalidUrl);
    EXPECT_TRUE(m_progress.m_reports.empty());
    EXPECT_TRUE(TargetFolderEmpty());
}

// Notes the resident set at each report of data: the one once the transfer
// has settled, and the most seen after that.
class CResidentWatch : public IDownloadProgress
{
public:
    HRESULT OnProgress(uint64_t progress, uint64_t, ULONG statusCode, LPCWSTR) override
    {
        if (statusCode != DOWNLOAD_STATUS_DOWNLOADING_DATA)
            return S_OK;
        const long nResident = ResidentBytes();
        if (progress < SETTLED_AFTER)
            return S_OK;
        if (m_nSettled == 0)
            m_nSettled = nResident;
        m_nMost = std::max(m_nMost, nResident);
        return S_OK;
    }
    bool IsAbortRequested() override { return false; }

    static long ResidentBytes()
    {
        long nSize = 0;
        long nResident = 0;
        std::ifstream("/proc/self/statm") >> nSize >> nResident;
        return nResident * sysconf(_SC_PAGESIZE);
    }

    static constexpr uint64_t SETTLED_AFTER = 8 * 1024 * 1024;
    long m_nSettled = 0;
    long m_nMost = 0;
};

TEST_F(DownloadTest, LargeDownloadStreamsToTheFileInBoundedMemory)
{
    // 48 MiB of one random mebibyte over and over: the host sends it as it
    // would any installer, and no part of it may pile up in our memory.
    constexpr size_t MEBIBYTE = 1024 * 1024;
    constexpr size_t COPIES = 48;
    const std::string strBlock = RandomBytes(MEBIBYTE);
    {
        std::ofstream out(m_payloadFolder / "payload.bin", std::ios::binary);
        for (size_t i = 0; i < COPIES; ++i)
            out << strBlock;
    }
    StartHost("normal");
    CResidentWatch watch;
    ASSERT_EQ(Fetch(&watch), DownloadResult::Ok);

    EXPECT_EQ(fs::file_size(m_target), COPIES * MEBIBYTE);
    ASSERT_GT(watch.m_nSettled, 0);
    EXPECT_LT(watch.m_nMost - watch.m_nSettled, 2 * static_cast<long>(MEBIBYTE))
        << "resident set grew with the download";
    std::ifstream in(m_target, std::ios::binary);
    std::string strLast(MEBIBYTE, '\0');
    in.seekg(static_cast<std::streamoff>((COPIES - 1) * MEBIBYTE));
    in.read(strLast.data(), static_cast<std::streamsize>(MEBIBYTE));
    EXPECT_TRUE(strLast == strBlock) << "the last mebibyte differs";
}

TEST_F(DownloadTest, FailedDownloadKeepsAnOlderFile)
{
    std::ofstream(m_target, std::ios::binary) << "older installer";
    StartHost("drop");
    EXPECT_EQ(Fetch(), DownloadResult::TransferFailed);
    EXPECT_EQ(ReadFile(m_target), "older installer");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_targetFolder), fs::directory_iterator()), 1);
}

TEST_F(DownloadTest, HostServesPagesWhileAnotherConnectionHangsAndStopsCleanly)
{
    StartHost("stall");
    m_options.m_stallLimit = 30s;
    DownloadResult eStalled = DownloadResult::Ok;
    std::thread stalled([&] { eStalled = Fetch(); });
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!m_progress.m_bSawData && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    if (!m_progress.m_bSawData) {
        m_progress.m_bAbortNow = true;
        stalled.join();
        FAIL() << "the stalled download never started";
    }

    const std::string strBase = "https://localhost:" + std::to_string(m_host.GetPort());
    CRecordingProgress pageProgress;
    EXPECT_EQ(
        DownloadUrlToFile(strBase + "/cn/home.html", (m_targetFolder / "home.html").string(), &pageProgress, m_options),
        DownloadResult::Ok);
    EXPECT_EQ(DownloadUrlToFile(strBase + "/cn/license-agreement.html", (m_targetFolder / "license.html").string(),
                                &pageProgress, m_options),
              DownloadResult::Ok);
    EXPECT_NE(ReadFile(m_targetFolder / "home.html").find("Zelqa图片转换器"), std::string::npos);
    EXPECT_NE(ReadFile(m_targetFolder / "license.html").find("许可协议"), std::string::npos);
    EXPECT_EQ(pageProgress.Count(DOWNLOAD_STATUS_MIME_TYPE_AVAILABLE), 2u);
    EXPECT_TRUE(pageProgress.m_reports.size() > 3 && pageProgress.m_reports[3].m_strText == "text/html; charset=utf-8");

    // SIGTERM with the stalled connection still open: the host ends it and exits normally.
    EXPECT_EQ(m_host.Stop(), 0);
    m_progress.m_bAbortNow = true; // in case the host's end went unnoticed
    stalled.join();
    EXPECT_EQ(eStalled, DownloadResult::TransferFailed);
    EXPECT_FALSE(fs::exists(m_target));
}

TEST_F(DownloadTest, AFolderSomeoneElseCouldWriteIsRefusedBeforeAnyTransfer)
{
    StartHost("normal");
    for (const mode_t mode : {0775, 0757, 01777}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(chmod(m_targetFolder.c_str(), mode), 0);
        EXPECT_EQ(Fetch(), DownloadResult::FileError);
    }
    ASSERT_EQ(chmod(m_targetFolder.c_str(), 0755), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(m_targetFolder.c_str(), 65534, 65534), 0);
        EXPECT_EQ(Fetch(), DownloadResult::FileError);
        ASSERT_EQ(chown(m_targetFolder.c_str(), 0, 0), 0);
    }
    // A link to a good folder could be pointed elsewhere between the check and the rename.
    fs::create_directory_symlink(m_targetFolder, m_folder / "link");
    EXPECT_EQ(DownloadUrlToFile(Url(), (m_folder / "link" / "ZELQACONVERT.exe").string(), &m_progress, m_options),
              DownloadResult::FileError);
    EXPECT_TRUE(m_progress.m_reports.empty()) << "a transfer was begun";
    EXPECT_TRUE(TargetFolderEmpty());

    EXPECT_EQ(Fetch(), DownloadResult::Ok);
}

TEST_F(DownloadTest, TheDownloadIs0755WhateverTheUmask)
{
    StartHost("normal");
    for (const mode_t mask : {0000, 0077, 0022}) {
        SCOPED_TRACE(mask);
        const mode_t previous = umask(mask);
        const DownloadResult eResult = Fetch();
        umask(previous);
        ASSERT_EQ(eResult, DownloadResult::Ok);
        EXPECT_EQ(ModeOf(m_target), 0755u);
        fs::remove(m_target);
    }
}

// The engine with the real services in a throw-away prefix: what the user
// sees when the download can't be trusted or is no program.
class DownloadEngineTest : public DownloadTest
{
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        if (std::string(ZELQA_BUILD_EXTRA_CA_FILE).empty())
            GTEST_SKIP() << "the build trusts no local test host";
        g_bAbortDownload = 0;
        m_log = m_folder / "opened";
        const fs::path opener = m_folder / "opener";
        std::ofstream(opener) << "#!/bin/sh\necho \"$@\" >> '" << m_log.string() << "'\n";
        fs::permissions(opener, fs::perms::owner_all);
        CPosixOsServices::Options options;
        options.m_strPrefix = (m_folder / "prefix").string();
        options.m_strLogin = "tester";
        options.m_strOpener = opener.string();
        m_pOs = std::make_unique<CPosixOsServices>(options);
    }

    void TearDown() override
    {
        // A monitor wrongly started stops at its next pass once the view is gone.
        if (m_pSession)
            m_pSession->Detach();
        std::this_thread::sleep_for(200ms);
        DownloadTest::TearDown();
    }

    // One attempt as the Install command runs it: download, then launch.
    void RunAttempt()
    {
        m_pSession = std::make_shared<CInstallSession>(&m_view);
        auto pAttempt = std::make_shared<CInstallAttempt>(
            CInstallAttempt{*m_pOs, m_pSession, FromUtf8(Url()), std::wstring(), std::wstring(), -1, std::wstring()});
        DownloadThreadProc(pAttempt);
    }

    bool ShowedFailure()
    {
        const std::vector<std::wstring> pages = m_view.Pages();
        return std::find(pages.begin(), pages.end(), L"failure") != pages.end();
    }

    bool ReachedInstallPhase()
    {
        const std::vector<int64_t> positions = m_view.Positions();
        return std::any_of(positions.begin(), positions.end(), [](int64_t nPos) { return nPos >= 90; });
    }

    fs::path DownloadFolder() const { return m_folder / "prefix/drive_c/brovix"; }

    fs::path m_log;
    std::unique_ptr<CPosixOsServices> m_pOs;
    std::shared_ptr<CInstallSession> m_pSession;
    CFakeInstallView m_view;
};

TEST_F(DownloadEngineTest, ADownloadThatIsNoProgramShowsTheFailureLineInsteadOfWaiting)
{
    // The host answers 200 with bytes that are no program (as a portal page would).
    StartHost("normal");
    RunAttempt();
    EXPECT_TRUE(ShowedFailure());
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(ReachedInstallPhase()) << "the progress page went on to wait for an installer";
    EXPECT_FALSE(fs::exists(m_log)) << "the download was handed to the opener";
    EXPECT_EQ(ModeOf(DownloadFolder()), 0755u);
}

TEST_F(DownloadEngineTest, ADownloadFolderOthersMayWriteShowsTheFailureLine)
{
    StartHost("normal");
    fs::create_directories(DownloadFolder());
    ASSERT_EQ(chmod(DownloadFolder().c_str(), 0775), 0);
    RunAttempt();
    EXPECT_TRUE(ShowedFailure());
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(ReachedInstallPhase());
    EXPECT_TRUE(fs::is_empty(DownloadFolder())) << "something was downloaded into it";
}

} // namespace
