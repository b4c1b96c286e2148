#pragma once

#include <cstddef>
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
    // Makes the file mode 0755 and closes it.
    bool Close();
    // Renames the closed file over the target.
    bool MoveIntoPlace();

    // The temporary file's name inside the target's folder.
    const std::string& GetTempName() const { return m_strTempName; }

private:
    int m_dirFd = -1;
    int m_fd = -1;
    bool m_bMoved = false;
    std::string m_strTempName;
    std::string m_strTargetName;
};
