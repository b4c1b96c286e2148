// A stand-in for a downloaded installer: started by the tests, it writes
// "started" to the file that ZELQA_LAUNCH_MARKER names, so they can tell it ran.
#include <windows.h>

int wmain()
{
    wchar_t szMarker[MAX_PATH] = {};
    const DWORD nLength = GetEnvironmentVariableW(L"ZELQA_LAUNCH_MARKER", szMarker, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return 1;
    const HANDLE hFile = CreateFileW(szMarker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return 1;
    DWORD nWritten = 0;
    const BOOL bOk = WriteFile(hFile, "started", 7, &nWritten, nullptr);
    CloseHandle(hFile);
    return bOk && nWritten == 7 ? 0 : 1;
}
