#pragma once

#include <cstdint>
#include <string>

// The name a download is written under until it is complete: a file beside
// the target, reserved when made, put in the target's place only by
// MoveIntoPlace. Whatever is not moved into place is deleted when the object
// goes, so an interrupted download leaves nothing and an older target stays.
class CPartFile
{
public:
    CPartFile() = default;
    ~CPartFile();
    CPartFile(const CPartFile&) = delete;
    CPartFile& operator=(const CPartFile&) = delete;

    // Makes an empty file with a fresh name in the folder of strTargetPath;
    // false when the folder is missing or not writable.
    bool Create(const std::wstring& strTargetPath);
    // Size of what is there now; false when the file has gone.
    bool GetSize(uint64_t& nSize) const;
    // Replaces the target by the file in one step.
    bool MoveIntoPlace();

    const std::wstring& GetPath() const { return m_strPath; }

private:
    std::wstring m_strPath;
    std::wstring m_strTargetPath;
    bool m_bMoved = false;
};
