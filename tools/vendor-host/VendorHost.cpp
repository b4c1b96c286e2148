#include "VendorHost.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>

#include "Pages.h"

namespace
{

const char DOWNLOAD_TARGET[] = "/down/down?path=ZELQACONVERT_Download.exe";
const char FILES_TARGET[] = "/files/ZELQACONVERT_Download.exe";
// A client that sends nothing is dropped after this long.
const int REQUEST_TIMEOUT_MS = 10000;

const char* ReasonPhrase(int nStatus)
{
    switch (nStatus) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 500:
        return "Internal Server Error";
    default:
        return "Unknown";
    }
}

std::string OpenSslError()
{
    char szBuffer[256] = {};
    ERR_error_string_n(ERR_get_error(), szBuffer, sizeof(szBuffer));
    return szBuffer;
}

// Frees the TLS session without a close_notify unless Shutdown was called.
class CSslSession
{
public:
    explicit CSslSession(SSL* pSsl) : m_pSsl(pSsl) {}
    ~CSslSession()
    {
        if (m_pSsl)
            SSL_free(m_pSsl);
    }
    CSslSession(const CSslSession&) = delete;
    CSslSession& operator=(const CSslSession&) = delete;
    SSL* Get() const { return m_pSsl; }

private:
    SSL* m_pSsl;
};

} // namespace

CVendorHost::CVendorHost(HostSettings settings) : m_settings(std::move(settings))
{
}

CVendorHost::~CVendorHost()
{
    if (m_listenFd >= 0)
        close(m_listenFd);
    if (m_stopPipe[0] >= 0)
        close(m_stopPipe[0]);
    if (m_stopPipe[1] >= 0)
        close(m_stopPipe[1]);
    if (m_pCtx)
        SSL_CTX_free(m_pCtx);
}

bool CVendorHost::Open(std::string& strError)
{
    m_pCtx = SSL_CTX_new(TLS_server_method());
    if (!m_pCtx) {
        strError = "cannot create TLS context: " + OpenSslError();
        return false;
    }
    SSL_CTX_set_min_proto_version(m_pCtx, TLS1_2_VERSION);
    if (SSL_CTX_use_certificate_chain_file(m_pCtx, m_settings.m_strCertFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(m_pCtx, m_settings.m_strKeyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(m_pCtx) != 1) {
        strError = "cannot load certificate " + m_settings.m_strCertFile + " and key " + m_settings.m_strKeyFile +
                   ": " + OpenSslError();
        return false;
    }

    if (pipe2(m_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        strError = std::string("pipe: ") + strerror(errno);
        return false;
    }

    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        strError = std::string("socket: ") + strerror(errno);
        return false;
    }
    const int nOne = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &nOne, sizeof(nOne));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(m_settings.m_nPort));
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(m_listenFd, 64) != 0) {
        strError = "cannot listen on 127.0.0.1:" + std::to_string(m_settings.m_nPort) + ": " + strerror(errno);
        return false;
    }
    socklen_t nLength = sizeof(address);
    getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &nLength);
    m_nPort = ntohs(address.sin_port);
    return true;
}

void CVendorHost::Run()
{
    while (!m_bStopping) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents || m_bStopping)
            break;
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        if (m_settings.m_eMode == HostMode::Refuse) {
            close(fd);
            continue;
        }
        JoinFinished(false);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_openFds.insert(fd);
        }
        auto pDone = std::make_shared<std::atomic<bool>>(false);
        std::thread thread([this, fd, pDone] {
            ServeConnection(fd);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_openFds.erase(fd);
                close(fd);
            }
            *pDone = true;
        });
        m_connections.push_back(Connection{std::move(thread), pDone});
    }

    m_bStopping = true;
    {
        // Wakes threads blocked in a read or write on their connection.
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int fd : m_openFds)
            shutdown(fd, SHUT_RDWR);
    }
    JoinFinished(true);
}

void CVendorHost::JoinFinished(bool bAll)
{
    for (auto it = m_connections.begin(); it != m_connections.end();) {
        if (bAll || *it->m_pDone) {
            it->m_thread.join();
            it = m_connections.erase(it);
        } else {
            ++it;
        }
    }
}

void CVendorHost::Stop()
{
    m_bStopping = true;
    if (m_stopPipe[1] >= 0) {
        const char cByte = 's';
        [[maybe_unused]] const ssize_t nWritten = write(m_stopPipe[1], &cByte, 1);
    }
}

bool CVendorHost::WaitReadable(int fd, int nTimeoutMs)
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
    while (true) {
        const int nReady = poll(fds, 2, nTimeoutMs);
        if (nReady < 0 && errno == EINTR)
            continue;
        return nReady > 0 && fds[1].revents == 0 && !m_bStopping;
    }
}

bool CVendorHost::Pause(int nMs)
{
    pollfd fd = {m_stopPipe[0], POLLIN, 0};
    return poll(&fd, 1, nMs) == 0 && !m_bStopping;
}

void CVendorHost::ServeConnection(int fd)
{
    // A client that stops reading must not hold a thread for ever.
    timeval timeout{REQUEST_TIMEOUT_MS / 1000, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));

    CSslSession session(SSL_new(m_pCtx));
    SSL* pSsl = session.Get();
    if (!pSsl || SSL_set_fd(pSsl, fd) != 1)
        return;
    if (!WaitReadable(fd, REQUEST_TIMEOUT_MS) || SSL_accept(pSsl) != 1) {
        ERR_clear_error();
        return;
    }
    std::string strMethod;
    std::string strTarget;
    if (!ReadRequest(pSsl, fd, strMethod, strTarget)) {
        SendResponse(pSsl, 400, "text/plain; charset=utf-8", "bad request\n", false);
        SSL_shutdown(pSsl);
        return;
    }
    Respond(pSsl, fd, strMethod, strTarget);
    ERR_clear_error();
}

bool CVendorHost::ReadRequest(SSL* pSsl, int fd, std::string& strMethod, std::string& strTarget)
{
    std::string strRequest;
    char szBuffer[4096];
    while (strRequest.find("\r\n\r\n") == std::string::npos) {
        if (strRequest.size() > 16384)
            return false;
        if (SSL_pending(pSsl) == 0 && !WaitReadable(fd, REQUEST_TIMEOUT_MS))
            return false;
        const int nRead = SSL_read(pSsl, szBuffer, sizeof(szBuffer));
        if (nRead <= 0)
            return false;
        strRequest.append(szBuffer, static_cast<size_t>(nRead));
    }
    const size_t nLineEnd = strRequest.find("\r\n");
    const std::string strLine = strRequest.substr(0, nLineEnd);
    const size_t nFirst = strLine.find(' ');
    const size_t nSecond = nFirst == std::string::npos ? nFirst : strLine.find(' ', nFirst + 1);
    if (nSecond == std::string::npos || strLine.compare(nSecond + 1, 5, "HTTP/") != 0)
        return false;
    strMethod = strLine.substr(0, nFirst);
    strTarget = strLine.substr(nFirst + 1, nSecond - nFirst - 1);
    return true;
}

bool CVendorHost::SendAll(SSL* pSsl, const char* pData, size_t nSize)
{
    while (nSize > 0) {
        if (m_bStopping)
            return false;
        const int nChunk = static_cast<int>(nSize < 65536 ? nSize : 65536);
        const int nWritten = SSL_write(pSsl, pData, nChunk);
        if (nWritten <= 0)
            return false;
        pData += nWritten;
        nSize -= static_cast<size_t>(nWritten);
    }
    return true;
}

bool CVendorHost::SendResponse(SSL* pSsl, int nStatus, const std::string& strType, std::string_view body, bool bHead,
                               const std::string& strExtraHeaders)
{
    std::string strHead = "HTTP/1.1 " + std::to_string(nStatus) + " " + ReasonPhrase(nStatus) + "\r\n";
    strHead += "Content-Type: " + strType + "\r\n";
    strHead += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    strHead += strExtraHeaders;
    strHead += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    if (!SendAll(pSsl, strHead.data(), strHead.size()))
        return false;
    return bHead || SendAll(pSsl, body.data(), body.size());
}

void CVendorHost::Respond(SSL* pSsl, int fd, const std::string& strMethod, const std::string& strTarget)
{
    const bool bHead = strMethod == "HEAD";
    int nStatus = 200;
    if (strMethod != "GET" && !bHead) {
        nStatus = 405;
        SendResponse(pSsl, nStatus, "text/plain; charset=utf-8", "method not allowed\n", false, "Allow: GET, HEAD\r\n");
    } else if (strTarget == DOWNLOAD_TARGET) {
        fprintf(stderr, "%s %s (download)\n", strMethod.c_str(), strTarget.c_str());
        ServeDownload(pSsl, fd, bHead);
        return;
    } else if (strTarget == FILES_TARGET) {
        SendResponse(pSsl, nStatus, "application/octet-stream", m_settings.m_payload, bHead);
    } else if (strTarget == "/cn/home.html") {
        SendResponse(pSsl, nStatus, "text/html; charset=utf-8", HomePageHtml(), bHead);
    } else if (strTarget == "/cn/license-agreement.html") {
        SendResponse(pSsl, nStatus, "text/html; charset=utf-8", LicencePageHtml(), bHead);
    } else {
        nStatus = 404;
        SendResponse(pSsl, nStatus, "text/plain; charset=utf-8", "not found\n", bHead);
    }
    fprintf(stderr, "%s %s -> %d\n", strMethod.c_str(), strTarget.c_str(), nStatus);
    SSL_shutdown(pSsl);
}

void CVendorHost::ServeDownload(SSL* pSsl, int fd, bool bHead)
{
    const std::string_view strPayload = m_settings.m_payload;
    const std::string strType = "application/octet-stream";
    switch (m_settings.m_eMode) {
    case HostMode::NotFound:
        SendResponse(pSsl, 404, "text/plain; charset=utf-8", "not found\n", bHead);
        break;
    case HostMode::ServerError:
        SendResponse(pSsl, 500, "text/plain; charset=utf-8", "internal error\n", bHead);
        break;
    case HostMode::Redirect:
        SendResponse(pSsl, 302, "text/plain; charset=utf-8", "", bHead,
                     std::string("Location: ") + FILES_TARGET + "\r\n");
        break;
    case HostMode::NoLength: {
        const std::string strHead =
            "HTTP/1.1 200 OK\r\nContent-Type: " + strType + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
        if (SendAll(pSsl, strHead.data(), strHead.size()) && !bHead)
            SendAll(pSsl, strPayload.data(), strPayload.size());
        break;
    }
    case HostMode::Drop:
    case HostMode::Stall:
    case HostMode::Trickle: {
        const std::string strHead = "HTTP/1.1 200 OK\r\nContent-Type: " + strType +
                                    "\r\nContent-Length: " + std::to_string(strPayload.size()) +
                                    "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
        if (!SendAll(pSsl, strHead.data(), strHead.size()) || bHead)
            break;
        if (m_settings.m_eMode == HostMode::Drop) {
            // Cut off without a close_notify, as a broken connection would be.
            SendAll(pSsl, strPayload.data(), strPayload.size() / 2);
            return;
        }
        if (m_settings.m_eMode == HostMode::Stall) {
            const size_t nFirst = std::min(m_settings.m_nStallAfterBytes, strPayload.size() / 2);
            if (!SendAll(pSsl, strPayload.data(), nFirst))
                return;
            // Hold the connection open until the client hangs up or the host stops.
            char cByte;
            while (WaitReadable(fd, -1)) {
                if (recv(fd, &cByte, 1, MSG_PEEK) <= 0)
                    break;
                // Data from the client (a TLS alert, say): drain it and wait on.
                if (SSL_read(pSsl, &cByte, 1) <= 0)
                    break;
            }
            return;
        }
        for (size_t nSent = 0; nSent < strPayload.size();) {
            const size_t nChunk = std::min(m_settings.m_nTrickleBytes, strPayload.size() - nSent);
            if (!SendAll(pSsl, strPayload.data() + nSent, nChunk))
                return;
            nSent += nChunk;
            if (nSent < strPayload.size() && !Pause(m_settings.m_nTrickleIntervalMs))
                return;
        }
        break;
    }
    case HostMode::Normal:
    case HostMode::Refuse:
        SendResponse(pSsl, 200, strType, strPayload, bHead);
        break;
    }
    SSL_shutdown(pSsl);
}
