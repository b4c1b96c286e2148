#pragma once

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include <openssl/ssl.h>

// How the download path answers; the web pages and /files/ always behave.
enum class HostMode
{
    Normal,
    NotFound,    // 404
    ServerError, // 500
    Refuse,      // every connection is accepted and closed at once, before the TLS handshake
    Drop,        // headers with the full length, half the body, then the connection is cut
    Stall,       // headers and the first bytes, then nothing until the client gives up
    Trickle,     // the body in small pieces with pauses between
    NoLength,    // no Content-Length; the body ends when the connection is closed
    Redirect,    // 302 to /files/ZELQACONVERT_Download.exe
};

struct HostSettings
{
    int m_nPort = 0; // 0: any free port
    HostMode m_eMode = HostMode::Normal;
    // The installer's bytes; whoever sets this keeps them alive while the host runs.
    std::string_view m_payload;
    std::string m_strCertFile;
    std::string m_strKeyFile;
    size_t m_nTrickleBytes = 4096;
    int m_nTrickleIntervalMs = 100;
    size_t m_nStallAfterBytes = 16384;
};

// A small HTTPS server on 127.0.0.1 that stands in for the vendor's web host.
class CVendorHost
{
public:
    explicit CVendorHost(HostSettings settings);
    ~CVendorHost();
    CVendorHost(const CVendorHost&) = delete;
    CVendorHost& operator=(const CVendorHost&) = delete;

    // Loads the certificate and binds the port; false with a message on failure.
    bool Open(std::string& strError);
    int GetPort() const { return m_nPort; }
    // Accepts connections, a thread each, until Stop is called; then ends
    // every connection and returns when their threads have finished.
    void Run();
    // Asks Run to end. Safe from any thread and from a signal handler.
    void Stop();

private:
    void ServeConnection(int fd);
    void Respond(SSL* pSsl, int fd, const std::string& strMethod, const std::string& strTarget);
    void ServeDownload(SSL* pSsl, int fd, bool bHead);
    bool ReadRequest(SSL* pSsl, int fd, std::string& strMethod, std::string& strTarget);
    bool SendAll(SSL* pSsl, const char* pData, size_t nSize);
    bool SendResponse(SSL* pSsl, int nStatus, const std::string& strType, std::string_view body, bool bHead,
                      const std::string& strExtraHeaders = std::string());
    // Waits until fd is readable or the host stops; false on stop or timeout.
    bool WaitReadable(int fd, int nTimeoutMs);
    // Sleeps, waking early when the host stops; false when it stopped.
    bool Pause(int nMs);

    HostSettings m_settings;
    SSL_CTX* m_pCtx = nullptr;
    int m_listenFd = -1;
    int m_nPort = 0;
    // A byte written here wakes every poll that also watches the read end.
    int m_stopPipe[2] = {-1, -1};
    std::atomic<bool> m_bStopping{false};

    struct Connection
    {
        std::thread m_thread;
        std::shared_ptr<std::atomic<bool>> m_pDone;
    };
    std::list<Connection> m_connections; // touched by Run only
    void JoinFinished(bool bAll);

    std::mutex m_mutex;
    std::set<int> m_openFds;
};
