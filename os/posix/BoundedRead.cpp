#include "os/posix/BoundedRead.h"

#include "base/linux/WholeIo.h"
#include "os/posix/FileDescriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

bool ReadBoundedRegularFile(const std::string& path, size_t maxBytes, bool followLinks, std::string& bytes)
{
    bytes.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer; O_NOCTTY: a terminal must not become ours.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (followLinks ? 0 : O_NOFOLLOW);
    CFileDescriptor fd(open(path.c_str(), flags));
    struct stat st = {};
    if (fd.Get() < 0 || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes)
        return false;

    // The size may change while we read (the writer replaces the file by
    // renaming, but a careless one appends): read one byte past the limit to
    // notice a file that grew beyond it.
    std::string buffer(maxBytes + 1, '\0');
    const ssize_t done = ReadAll(fd.Get(), buffer.data(), buffer.size());
    if (done < 0 || static_cast<size_t>(done) > maxBytes)
        return false;
    buffer.resize(static_cast<size_t>(done));
    bytes = std::move(buffer);
    return true;
}
