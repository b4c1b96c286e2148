#include "os/posix/download/TempFile.h"

#include <cerrno>
#include <random>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

CTempFile::~CTempFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_bMoved && !m_strTempPath.empty())
        ::unlink(m_strTempPath.c_str());
}

bool CTempFile::Create(const std::string& strTargetPath)
{
    if (m_fd >= 0 || !m_strTempPath.empty())
        return false;
    m_strTargetPath = strTargetPath;

    const size_t nSlash = strTargetPath.rfind('/');
    const std::string strFolder = nSlash == std::string::npos ? std::string() : strTargetPath.substr(0, nSlash + 1);
    const std::string strName = nSlash == std::string::npos ? strTargetPath : strTargetPath.substr(nSlash + 1);
    if (strName.empty())
        return false;

    static const char s_szDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::random_device random;
    for (int nTry = 0; nTry < 100; ++nTry)
    {
        std::string strSuffix;
        for (int i = 0; i < 8; ++i)
            strSuffix += s_szDigits[random() % (sizeof(s_szDigits) - 1)];
        const std::string strPath = strFolder + "." + strName + "." + strSuffix + ".part";
        // O_EXCL: never write into a file someone else put there.
        const int fd = ::open(strPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
        {
            m_fd = fd;
            m_strTempPath = strPath;
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
    while (nSize > 0)
    {
        const ssize_t nWritten = ::write(m_fd, pData, nSize);
        if (nWritten < 0)
        {
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
    // The installer is started right after the download; make sure what
    // gets renamed is what was received, even across a crash.
    bool bOk = ::fsync(m_fd) == 0;
    bOk = ::close(m_fd) == 0 && bOk;
    m_fd = -1;
    return bOk;
}

bool CTempFile::MoveIntoPlace()
{
    if (m_fd >= 0 || m_bMoved || m_strTempPath.empty())
        return false;
    if (::rename(m_strTempPath.c_str(), m_strTargetPath.c_str()) != 0)
        return false;
    m_bMoved = true;
    return true;
}
