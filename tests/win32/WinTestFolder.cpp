#include "WinTestFolder.h"

#include <windows.h>

#include <cwchar>

CWinTestFolder::CWinTestFolder()
{
    wchar_t szTemp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, szTemp);
    for (unsigned nTry = 0; nTry < 1000 && m_strPath.empty(); ++nTry) {
        wchar_t szName[64];
        swprintf(szName, 64, L"zelqa-test-%lu-%lu-%u", GetCurrentProcessId(), GetTickCount(), nTry);
        const std::wstring strPath = std::wstring(szTemp) + szName;
        if (CreateDirectoryW(strPath.c_str(), nullptr))
            m_strPath = strPath;
    }
}

CWinTestFolder::~CWinTestFolder()
{
    if (!m_strPath.empty())
        RemoveTree(m_strPath);
}

std::vector<std::wstring> CWinTestFolder::Entries() const
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE hFind = FindFirstFileW((m_strPath + L"\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
            names.push_back(data.cFileName);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return names;
}

bool CWinTestFolder::WriteFile(const std::wstring& path, const std::string& bytes)
{
    const HANDLE hFile =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    const bool bOk = ::WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nWritten, nullptr) &&
                     nWritten == bytes.size();
    CloseHandle(hFile);
    return bOk;
}

std::string CWinTestFolder::ReadFile(const std::wstring& path)
{
    std::string contents;
    const HANDLE hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return contents;
    char buffer[65536];
    DWORD nRead = 0;
    while (::ReadFile(hFile, buffer, sizeof(buffer), &nRead, nullptr) && nRead > 0)
        contents.append(buffer, nRead);
    CloseHandle(hFile);
    return contents;
}

void CWinTestFolder::RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    const HANDLE hFind = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0)
                continue;
            const std::wstring strChild = path + L"\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strChild);
            else
                DeleteFileW(strChild.c_str());
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(path.c_str());
}
