#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

// Files kept open so that nobody changes them between two steps of ours: a
// downloaded program from the end of its transfer until the shell has started
// it, so that what runs is what was fetched. While a file is held, others may
// open it to read or run it, but not to write, rename, replace or delete it.
// Any thread may call; the files are let go when the object goes.
class CHeldFiles
{
public:
    CHeldFiles() = default;
    ~CHeldFiles();
    CHeldFiles(const CHeldFiles&) = delete;
    CHeldFiles& operator=(const CHeldFiles&) = delete;

    // Opens the file at strPath (a drive path) and holds it, letting go of
    // whatever was held under that path before. False, holding nothing, when
    // the file is missing or someone has it open to write or delete it.
    bool Hold(const std::wstring& strPath);

    // Runs `inspect` on the open file held under strPath, holding it first if
    // it is not held yet, and returns its answer; the file stays held (and
    // no Release closes it) meanwhile. False, inspecting nothing, when the
    // file cannot be held.
    bool Inspect(const std::wstring& strPath, const std::function<bool(void* hFile)>& inspect);

    // Lets go of the file held under strPath (names match in any letter
    // case); false when none was.
    bool Release(const std::wstring& strPath);

private:
    struct CNoCaseLess
    {
        bool operator()(const std::wstring& left, const std::wstring& right) const;
    };

    std::mutex m_mutex;
    // Open file handles by path; void* so that this header needs no platform header.
    std::map<std::wstring, void*, CNoCaseLess> m_handles;
};
