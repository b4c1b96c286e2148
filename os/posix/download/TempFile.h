#pragma once

#include <cstddef>
#include <string>

// A file written under a hidden temporary name beside its target and renamed
// over the target only when complete. Anything not moved into place is
// removed when the object goes, so an interrupted download leaves nothing.
class CTempFile
{
public:
    CTempFile() = default;
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    // Creates the temporary file in the folder of strTargetPath.
    bool Create(const std::string& strTargetPath);
    bool Write(const char* pData, size_t nSize);
    // Flushes the data to disk and closes the file.
    bool Close();
    // Renames the closed file over the target.
    bool MoveIntoPlace();

    const std::string& GetTempPath() const { return m_strTempPath; }

private:
    int m_fd = -1;
    bool m_bMoved = false;
    std::string m_strTempPath;
    std::string m_strTargetPath;
};
