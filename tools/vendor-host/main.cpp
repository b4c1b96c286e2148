// zelqa-vendor-host: a local HTTPS stand-in for the vendor's web host, for
// integration tests and demos. See README.md for the options.

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "VendorHost.h"

#ifndef ZELQA_VENDOR_PORT
#define ZELQA_VENDOR_PORT 47443
#endif
#ifndef ZELQA_TEST_CA_DIR
#define ZELQA_TEST_CA_DIR "."
#endif

namespace
{

CVendorHost* g_pHost = nullptr;

// A file mapped read-only: a benchmark's 1 GiB payload is served without
// being read first, and costs only the page cache.
class CMappedFile
{
public:
    CMappedFile() = default;
    ~CMappedFile()
    {
        if (m_pData != MAP_FAILED)
            munmap(m_pData, m_nSize);
    }
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // False with errno set when the file cannot be opened or mapped.
    bool Open(const std::string& strPath)
    {
        const int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat info = {};
        bool bOk = fstat(fd, &info) == 0;
        if (bOk && !S_ISREG(info.st_mode)) {
            errno = EINVAL;
            bOk = false;
        }
        if (bOk && info.st_size > 0) {
            m_nSize = static_cast<size_t>(info.st_size);
            m_pData = mmap(nullptr, m_nSize, PROT_READ, MAP_PRIVATE, fd, 0);
            bOk = m_pData != MAP_FAILED;
            if (bOk)
                madvise(m_pData, m_nSize, MADV_SEQUENTIAL);
        }
        const int nError = errno;
        close(fd);
        errno = nError;
        return bOk;
    }
    std::string_view GetBytes() const
    {
        return m_pData == MAP_FAILED ? std::string_view()
                                     : std::string_view(static_cast<const char*>(m_pData), m_nSize);
    }

private:
    void* m_pData = MAP_FAILED;
    size_t m_nSize = 0;
};

void OnStopSignal(int)
{
    if (g_pHost)
        g_pHost->Stop();
}

void PrintUsage(FILE* pOut)
{
    fprintf(pOut,
            "usage: zelqa-vendor-host [--port N] [--payload FILE] [--mode MODE]\n"
            "                         [--cert FILE] [--key FILE]\n"
            "                         [--trickle-bytes N] [--trickle-interval-ms N] [--stall-after N]\n"
            "modes: normal 404 500 refuse drop stall trickle nolength redirect\n"
            "default port %d (0: any free port), certificate from %s\n",
            ZELQA_VENDOR_PORT, ZELQA_TEST_CA_DIR);
}

bool ParseMode(const std::string& strMode, HostMode& eMode)
{
    static const struct
    {
        const char* pszName;
        HostMode eMode;
    } s_modes[] = {
        {"normal", HostMode::Normal},   {"404", HostMode::NotFound},      {"500", HostMode::ServerError},
        {"refuse", HostMode::Refuse},   {"drop", HostMode::Drop},         {"stall", HostMode::Stall},
        {"trickle", HostMode::Trickle}, {"nolength", HostMode::NoLength}, {"redirect", HostMode::Redirect},
    };
    for (const auto& mode : s_modes) {
        if (strMode == mode.pszName) {
            eMode = mode.eMode;
            return true;
        }
    }
    return false;
}

bool ParseNumber(const char* psz, long nMin, long nMax, long& nValue)
{
    char* pEnd = nullptr;
    errno = 0;
    nValue = strtol(psz, &pEnd, 10);
    return errno == 0 && pEnd != psz && *pEnd == '\0' && nValue >= nMin && nValue <= nMax;
}

// A few MiB of fixed pseudo-random bytes, the same on every run.
std::string GeneratedPayload()
{
    std::string strData(4 * 1024 * 1024 + 123, '\0');
    uint32_t nState = 0x2545F491u;
    for (char& c : strData) {
        nState ^= nState << 13;
        nState ^= nState >> 17;
        nState ^= nState << 5;
        c = static_cast<char>(nState & 0xFF);
    }
    return strData;
}

// The stand-in full installer built beside us, so a demo download runs and
// reports progress; empty when there is none.
std::string StandinBesideUs()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::string();
    const std::filesystem::path standin = self.parent_path() / "zelqa-standin";
    return std::filesystem::is_regular_file(standin, error) ? standin.string() : std::string();
}

} // namespace

int main(int argc, char** argv)
{
    HostSettings settings;
    settings.m_nPort = ZELQA_VENDOR_PORT;
    settings.m_strCertFile = std::string(ZELQA_TEST_CA_DIR) + "/server.pem";
    settings.m_strKeyFile = std::string(ZELQA_TEST_CA_DIR) + "/server.key";
    std::string strPayloadFile;

    for (int i = 1; i < argc; ++i) {
        const std::string strOption = argv[i];
        if (strOption == "--help" || strOption == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (i + 1 >= argc) {
            fprintf(stderr, "zelqa-vendor-host: %s needs a value\n", strOption.c_str());
            PrintUsage(stderr);
            return 2;
        }
        const char* pszValue = argv[++i];
        long nValue = 0;
        if (strOption == "--port" && ParseNumber(pszValue, 0, 65535, nValue))
            settings.m_nPort = static_cast<int>(nValue);
        else if (strOption == "--payload")
            strPayloadFile = pszValue;
        else if (strOption == "--mode" && ParseMode(pszValue, settings.m_eMode))
            ;
        else if (strOption == "--cert")
            settings.m_strCertFile = pszValue;
        else if (strOption == "--key")
            settings.m_strKeyFile = pszValue;
        else if (strOption == "--trickle-bytes" && ParseNumber(pszValue, 1, 1L << 30, nValue))
            settings.m_nTrickleBytes = static_cast<size_t>(nValue);
        else if (strOption == "--trickle-interval-ms" && ParseNumber(pszValue, 0, 60000, nValue))
            settings.m_nTrickleIntervalMs = static_cast<int>(nValue);
        else if (strOption == "--stall-after" && ParseNumber(pszValue, 0, 1L << 30, nValue))
            settings.m_nStallAfterBytes = static_cast<size_t>(nValue);
        else {
            fprintf(stderr, "zelqa-vendor-host: bad option or value: %s %s\n", strOption.c_str(), pszValue);
            PrintUsage(stderr);
            return 2;
        }
    }

    if (strPayloadFile.empty())
        strPayloadFile = StandinBesideUs();
    // Both outlive the host, which serves their bytes.
    std::string strGenerated;
    CMappedFile payloadFile;
    if (strPayloadFile.empty()) {
        strGenerated = GeneratedPayload();
        settings.m_payload = strGenerated;
        fprintf(stderr, "zelqa-vendor-host: payload: generated %zu bytes (no zelqa-standin beside the host)\n",
                strGenerated.size());
    } else if (!payloadFile.Open(strPayloadFile)) {
        fprintf(stderr, "zelqa-vendor-host: cannot read payload %s: %s\n", strPayloadFile.c_str(), strerror(errno));
        return 1;
    } else {
        settings.m_payload = payloadFile.GetBytes();
        fprintf(stderr, "zelqa-vendor-host: payload: %s (%zu bytes)\n", strPayloadFile.c_str(),
                settings.m_payload.size());
    }

    // Writes to a client that has gone must fail, not end the process.
    signal(SIGPIPE, SIG_IGN);

    CVendorHost host(std::move(settings));
    std::string strError;
    if (!host.Open(strError)) {
        fprintf(stderr, "zelqa-vendor-host: %s\n", strError.c_str());
        return 1;
    }

    g_pHost = &host;
    struct sigaction action
    {
    };
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    printf("listening on https://localhost:%d\n", host.GetPort());
    fflush(stdout);
    host.Run();

    // Nothing may call into the host once it is gone.
    signal(SIGTERM, SIG_IGN);
    signal(SIGINT, SIG_IGN);
    g_pHost = nullptr;
    return 0;
}
