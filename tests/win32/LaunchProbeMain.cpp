// A stand-in for a downloaded installer or the product's launcher: started
// by the tests, it writes "started" to the file that ZELQA_LAUNCH_MARKER
// names, or to probe-started.txt beside itself when started by another
// process (the desktop's shell) that does not pass our environment on. Beside
// the marker, probe-parent.txt says who started it: "<parent process id>
// <1 when elevated, else 0>".
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>

namespace
{

bool WriteText(const std::wstring& path, const std::string& text)
{
    const HANDLE hFile =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD nWritten = 0;
    const BOOL bOk = WriteFile(hFile, text.data(), static_cast<DWORD>(text.size()), &nWritten, nullptr);
    CloseHandle(hFile);
    return bOk && nWritten == text.size();
}

DWORD ParentProcessId()
{
    const HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD dwParent = 0;
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore; bMore = Process32NextW(hSnapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId())
            dwParent = entry.th32ParentProcessID;
    CloseHandle(hSnapshot);
    return dwParent;
}

bool IsElevated()
{
    HANDLE hToken = nullptr;
    TOKEN_ELEVATION elevation{};
    DWORD cbElevation = 0;
    const bool bElevated = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken) &&
                           GetTokenInformation(hToken, TokenElevation, &elevation, sizeof(elevation), &cbElevation) &&
                           elevation.TokenIsElevated != 0;
    if (hToken)
        CloseHandle(hToken);
    return bElevated;
}

} // namespace

int wmain()
{
    wchar_t szMarker[MAX_PATH] = {};
    const DWORD nLength = GetEnvironmentVariableW(L"ZELQA_LAUNCH_MARKER", szMarker, MAX_PATH);
    std::wstring marker;
    if (nLength > 0 && nLength < MAX_PATH)
        marker = szMarker;
    else {
        const DWORD nSelf = GetModuleFileNameW(nullptr, szMarker, MAX_PATH);
        if (nSelf == 0 || nSelf >= MAX_PATH)
            return 1;
        marker = szMarker;
        marker.erase(marker.find_last_of(L'\\') + 1);
        marker += L"probe-started.txt";
    }
    char szParent[64];
    snprintf(szParent, sizeof(szParent), "%lu %d", ParentProcessId(), IsElevated() ? 1 : 0);
    const std::wstring parent = marker.substr(0, marker.find_last_of(L'\\') + 1) + L"probe-parent.txt";
    // The parent first: once the marker is there, the tests read it.
    WriteText(parent, szParent);
    return WriteText(marker, "started") ? 0 : 1;
}
