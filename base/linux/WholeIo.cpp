#include "base/linux/WholeIo.h"

#include <cerrno>
#include <unistd.h>

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

ssize_t ReadAll(int fd, void* pBuffer, size_t nCount, off_t offset)
{
    auto* pBytes = static_cast<char*>(pBuffer);
    size_t done = 0;
    while (done < nCount) {
        const ssize_t n = offset < 0 ? ::read(fd, pBytes + done, nCount - done)
                                     : ::pread(fd, pBytes + done, nCount - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}
