#include "os/win32/PartFile.h"

#include <windows.h>

#include "os/win32/HexDigits.h"
#include "os/win32/RandomBits.h"

CPartFile::~CPartFile()
{
    if (!m_bMoved && !m_strPath.empty())
        DeleteFileW(m_strPath.c_str());
}

bool CPartFile::Create(const std::wstring& strTargetPath)
{
    if (!m_strPath.empty() || strTargetPath.empty())
        return false;
    const size_t nSlash = strTargetPath.find_last_of(L"\\/");
    if (nSlash == strTargetPath.size() - 1)
        return false;

    for (int nTry = 0; nTry < 100; ++nTry) {
        std::wstring strPath = strTargetPath + L".";
        AppendHex8(strPath, RandomBits());
        strPath += L".part";
        // CREATE_NEW: never take over a file someone else put there.
        const HANDLE hFile =
            CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            CloseHandle(hFile);
            m_strPath = strPath;
            m_strTargetPath = strTargetPath;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
    }
    return false;
}

bool CPartFile::GetSize(uint64_t& nSize) const
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (m_strPath.empty() || !GetFileAttributesExW(m_strPath.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    nSize = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool CPartFile::MoveIntoPlace()
{
    if (m_bMoved || m_strPath.empty())
        return false;
    // The installer is started right after; what takes the name must be on disk.
    if (!MoveFileExW(m_strPath.c_str(), m_strTargetPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    m_bMoved = true;
    return true;
}
