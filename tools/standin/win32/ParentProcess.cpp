#include "tools/standin/ParentProcess.h"

#include <windows.h>
#include <tlhelp32.h>

#include "base/Utf8.h"

std::string CParentProcess::Name()
{
    const HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return std::string();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD dwParent = 0;
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore; bMore = Process32NextW(hSnapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId())
            dwParent = entry.th32ParentProcessID;
    std::wstring name;
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); dwParent != 0 && bMore;
         bMore = Process32NextW(hSnapshot, &entry))
        if (entry.th32ProcessID == dwParent)
            name = entry.szExeFile;
    CloseHandle(hSnapshot);
    return ToUtf8(name);
}
