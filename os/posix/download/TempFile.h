#pragma once

#include <cstddef>
#include <memory>
#include <string>

// A file written under a hidden temporary name beside its target and renamed
// over the target only when complete. Anything not moved into place is
// removed when the object goes, so an interrupted download leaves nothing.
//
// The file is a program that will be started, so its folder must be ours
// alone: owned by the user we run as and writable by nobody else. Otherwise
// someone else could replace the file between the download and its start.
// The folder is held open from the check to the rename, so every step
// happens in the folder that was checked, whatever its path names meanwhile.
//
// Writes are gathered into large ones: a download arrives in pieces of a TLS
// record (16 KiB) or less, and one system call per piece costs more than the
// copy into the buffer. A write that fails later still fails Close().
class CTempFile
{
public:
    CTempFile() = default;
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Creates the temporary file in the folder of strTargetPath; false when
    // that folder is missing, a link, or not ours alone.
    bool Create(const std::string& strTargetPath);
    bool Write(const char* pData, size_t nSize);
    // Writes what is gathered, makes the file mode 0755 and closes it; false
    // when any byte could not be written.
    bool Close();
    // Renames the closed file over the target; false, and nothing renamed,
    // unless Close() succeeded.
    bool MoveIntoPlace();

    // The temporary file's name inside the target's folder.
    const std::string& GetTempName() const { return m_strTempName; }

    // The most bytes Write() gathers before they go to the file.
    static constexpr size_t WRITE_BUFFER_BYTES = 64 * 1024;

private:
    bool WriteOut(const char* pData, size_t nSize);
    bool Flush();

    std::unique_ptr<char[]> m_pBuffer;
    size_t m_nBuffered = 0;
    int m_dirFd = -1;
    int m_fd = -1;
    bool m_bWhole = false;
    bool m_bMoved = false;
    std::string m_strTempName;
    std::string m_strTargetName;
};
