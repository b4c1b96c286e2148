#include "os/posix/download/TempFile.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <random>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// The downloaded installer is started as a program; 0755 whatever the umask,
// so that it can be, and so that nobody but us can change it.
constexpr mode_t DOWNLOADED_FILE_MODE = 0755;

// Opens the folder that will hold the download when it is ours alone: a real
// folder (not a link to one), owned by the user we run as, not writable by
// group or others. Checked through the descriptor, which is then used for
// every later step, so nothing can be swapped in behind the check.
int OpenPrivateFolder(const std::string& strFolder)
{
    const int fd = ::open(strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() ||
        (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

} // namespace

CTempFile::~CTempFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_bMoved && !m_strTempName.empty())
        ::unlinkat(m_dirFd, m_strTempName.c_str(), 0);
    if (m_dirFd >= 0)
        ::close(m_dirFd);
}

bool CTempFile::Create(const std::string& strTargetPath)
{
    if (m_fd >= 0 || m_dirFd >= 0)
        return false;

    const size_t nSlash = strTargetPath.rfind('/');
    std::string strFolder = ".";
    if (nSlash != std::string::npos)
        strFolder = nSlash == 0 ? std::string("/") : strTargetPath.substr(0, nSlash);
    const std::string strName = nSlash == std::string::npos ? strTargetPath : strTargetPath.substr(nSlash + 1);
    if (strName.empty() || strName == "." || strName == "..")
        return false;
    m_dirFd = OpenPrivateFolder(strFolder);
    if (m_dirFd < 0)
        return false;
    m_strTargetName = strName;

    static const char s_szDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device random;
    for (int nTry = 0; nTry < 100; ++nTry) {
        std::string strSuffix;
        for (int i = 0; i < 8; ++i)
            strSuffix += s_szDigits[random() % (sizeof(s_szDigits) - 1)];
        const std::string strTempName = "." + strName + "." + strSuffix + ".part";
        // O_EXCL: never write into a file someone else put there. 0700 while
        // it is written; Close() gives it its final mode.
        const int fd =
            ::openat(m_dirFd, strTempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
        if (fd >= 0) {
            m_fd = fd;
            m_strTempName = strTempName;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool CTempFile::Write(const char* pData, size_t nSize)
{
    if (m_fd < 0)
        return false;
    if (m_nBuffered + nSize > WRITE_BUFFER_BYTES && !Flush())
        return false;
    // A piece as large as the buffer gains nothing from a copy.
    if (nSize >= WRITE_BUFFER_BYTES)
        return WriteOut(pData, nSize);
    // Called from libcurl's callbacks, which no exception may cross.
    if (!m_pBuffer)
        m_pBuffer.reset(new (std::nothrow) char[WRITE_BUFFER_BYTES]);
    if (!m_pBuffer)
        return false;
    std::memcpy(m_pBuffer.get() + m_nBuffered, pData, nSize);
    m_nBuffered += nSize;
    return true;
}

bool CTempFile::Flush()
{
    const size_t nSize = m_nBuffered;
    m_nBuffered = 0;
    return nSize == 0 || WriteOut(m_pBuffer.get(), nSize);
}

bool CTempFile::WriteOut(const char* pData, size_t nSize)
{
    while (nSize > 0) {
        const ssize_t nWritten = ::write(m_fd, pData, nSize);
        if (nWritten < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        pData += nWritten;
        nSize -= static_cast<size_t>(nWritten);
    }
    return true;
}

bool CTempFile::Close()
{
    if (m_fd < 0)
        return false;
    bool bOk = Flush();
    m_pBuffer.reset();
    // fchmod, not the mode given to open: the umask cannot touch it.
    bOk = ::fchmod(m_fd, DOWNLOADED_FILE_MODE) == 0 && bOk;
    // No fsync: the file is started at once, and a file left behind by a
    // crash is never started, as every run downloads afresh. Waiting for a
    // large installer to reach the disk would only delay its start.
    bOk = ::close(m_fd) == 0 && bOk;
    m_fd = -1;
    m_bWhole = bOk;
    return bOk;
}

bool CTempFile::MoveIntoPlace()
{
    if (m_fd >= 0 || !m_bWhole || m_bMoved || m_strTempName.empty())
        return false;
    if (::renameat(m_dirFd, m_strTempName.c_str(), m_dirFd, m_strTargetName.c_str()) != 0)
        return false;
    m_bMoved = true;
    return true;
}
