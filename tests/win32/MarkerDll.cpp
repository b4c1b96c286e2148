// A DLL planted under a system DLL's name beside the installer: if it is
// ever loaded, it leaves "<its own path>.loaded" and refuses to load.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t szPath[MAX_PATH + 8] = {};
    const DWORD nLength = GetModuleFileNameW(hInstance, szPath, MAX_PATH);
    if (nLength > 0 && nLength < MAX_PATH) {
        lstrcatW(szPath, L".loaded");
        const HANDLE hFile =
            CreateFileW(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
            CloseHandle(hFile);
    }
    return FALSE;
}
