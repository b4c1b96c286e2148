#pragma once

#include <unistd.h>

// Owns one open file descriptor and closes it when it goes, so no early
// return leaks it. -1 stands for none.
class CFileDescriptor
{
public:
    explicit CFileDescriptor(int fd = -1) : m_nFd(fd) {}
    ~CFileDescriptor() { Close(); }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_nFd; }

    // Closes it now. False when close() fails, which for a file just written
    // can be the first sign of a lost write. The descriptor is gone either
    // way: Linux releases it even then, so it is never closed twice.
    bool Close()
    {
        if (m_nFd < 0)
            return true;
        const int fd = m_nFd;
        m_nFd = -1;
        return close(fd) == 0;
    }

private:
    int m_nFd;
};
