#include "LaunchProbe.h"

#include <windows.h>

#include "WinTestFolder.h"

CLaunchProbe::CLaunchProbe(const std::wstring& markerFolder) : m_strMarker(markerFolder + L"\\probe-started.txt")
{
    DeleteFileW(m_strMarker.c_str());
    // What the shell starts inherits this process's environment.
    SetEnvironmentVariableW(L"ZELQA_LAUNCH_MARKER", m_strMarker.c_str());
}

CLaunchProbe::~CLaunchProbe()
{
    SetEnvironmentVariableW(L"ZELQA_LAUNCH_MARKER", nullptr);
}

std::wstring CLaunchProbe::ProgramPath()
{
    wchar_t szSelf[MAX_PATH] = {};
    const DWORD nLength = GetModuleFileNameW(nullptr, szSelf, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return L"";
    std::wstring path(szSelf, nLength);
    path.erase(path.find_last_of(L'\\') + 1);
    path += L"zelqa-launch-probe.exe";
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES ? L"" : path;
}

bool CLaunchProbe::WaitUntilStarted() const
{
    for (int i = 0; i < 200; ++i) {
        if (CWinTestFolder::ReadFile(m_strMarker) == "started")
            return true;
        Sleep(50);
    }
    return false;
}

bool DeleteFileWhenFree(const std::wstring& path)
{
    for (int i = 0; i < 200; ++i) {
        if (DeleteFileW(path.c_str()))
            return true;
        Sleep(50);
    }
    return false;
}
