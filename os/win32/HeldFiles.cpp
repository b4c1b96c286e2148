#include "os/win32/HeldFiles.h"

#include <windows.h>

bool CHeldFiles::CNoCaseLess::operator()(const std::wstring& left, const std::wstring& right) const
{
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_LESS_THAN;
}

CHeldFiles::~CHeldFiles()
{
    for (const auto& held : m_handles)
        CloseHandle(held.second);
}

bool CHeldFiles::Hold(const std::wstring& strPath)
{
    Release(strPath);
    // Sharing read alone: a program is started through a read and execute
    // open, which this allows; a writer or a rename, replace or delete, which
    // all need write or delete sharing, is refused until Release. The open
    // itself fails while anyone has the file open to write or delete it.
    const HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    const std::lock_guard<std::mutex> lock(m_mutex);
    auto [it, bInserted] = m_handles.emplace(strPath, hFile);
    if (!bInserted) {
        // Another thread held the same file in the meantime; keep one handle.
        CloseHandle(it->second);
        it->second = hFile;
    }
    return true;
}

bool CHeldFiles::Inspect(const std::wstring& strPath, const std::function<bool(void* hFile)>& inspect)
{
    for (int nTry = 0; nTry < 2; ++nTry) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            const auto it = m_handles.find(strPath);
            if (it != m_handles.end())
                return inspect(it->second);
        }
        if (nTry == 0 && !Hold(strPath))
            return false;
    }
    // Let go again by another thread in between.
    return false;
}

bool CHeldFiles::Release(const std::wstring& strPath)
{
    HANDLE hFile = nullptr;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_handles.find(strPath);
        if (it == m_handles.end())
            return false;
        hFile = it->second;
        m_handles.erase(it);
    }
    CloseHandle(hFile);
    return true;
}
