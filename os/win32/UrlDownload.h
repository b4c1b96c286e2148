#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "os/Download.h"
#include "os/win32/PartFile.h"
#include "os/win32/TransferChannel.h"

// One download through the platform's URL monikers (URLDownloadToFileW),
// keeping the contract of IOsServices::DownloadToFile. The transfer runs on a
// thread of its own, joined before Run returns; the calling thread receives
// its reports, passes them to the sink and watches for an abort or a stall,
// so that both end the transfer even while no byte arrives.
class CUrlDownload
{
public:
    struct Options
    {
        // No report from the transfer for this long ends it. Positive.
        std::chrono::milliseconds m_stallLimit{std::chrono::seconds(30)};
        // How often the sink is asked whether to abort. At most a second.
        std::chrono::milliseconds m_pollInterval{100};
    };

    explicit CUrlDownload(IDownloadProgress* pProgress);
    CUrlDownload(IDownloadProgress* pProgress, const Options& options);
    CUrlDownload(const CUrlDownload&) = delete;
    CUrlDownload& operator=(const CUrlDownload&) = delete;

    // Fetches strUrl into the file strPath (a drive path). Call once.
    DownloadResult Run(const std::wstring& strUrl, const std::wstring& strPath);

    // True for an https URL with a host name, which then goes to pHost.
    static bool IsHttpsUrl(const std::wstring& strUrl, std::wstring* pHost = nullptr);

    // What a failed transfer call's result means, given whether the host had
    // answered (the platform reports a refused connection and one cut off
    // midway alike).
    static DownloadResult ResultFromHresult(HRESULT hr, bool bHostAnswered);

private:
    static void RunTransfer(std::shared_ptr<CTransferChannel> pChannel, std::wstring strUrl, std::wstring strFile);

    // The answer to one report of the transfer; sets the verdict when the
    // report means the transfer must end.
    HRESULT OnTransferReport(const CTransferChannel::RawReport& raw);
    // True (and the verdict set) when the host's answer is not the file.
    bool RefuseResponse();
    uint64_t ExpectedLength(const CTransferChannel::RawReport& raw) const;
    void NoteReceived(ULONG nProgress);
    // Passes one report to the sink; a failure answer sets the verdict Aborted.
    HRESULT Report(uint64_t nProgress, uint64_t nProgressMax, ULONG nStatus, const std::wstring& strText);
    void SetVerdict(DownloadResult eResult);
    // Checks and places a file the transfer call reported complete.
    DownloadResult Finish(CPartFile& file);

    IDownloadProgress* m_pProgress;
    Options m_options;
    std::shared_ptr<CTransferChannel> m_pChannel;

    // Why the transfer must end, decided on this thread; Ok while nothing did.
    DownloadResult m_eVerdict = DownloadResult::Ok;
    // Body bytes the transfer has reported, widened past the platform's 32 bits.
    uint64_t m_nReceived = 0;
    // The byte count of the last report, which later reports never go below.
    uint64_t m_nLastReported = 0;
    bool m_bBodyStarted = false;
};
