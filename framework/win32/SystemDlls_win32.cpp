#include "framework/win32/SystemDlls.h"

#include <delayimp.h>

#include <string>

bool CSystemDlls::RestrictSearch()
{
    // Looked up rather than imported: an unpatched Windows 7 lacks it, and a
    // missing import would keep the program from starting at all.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    const auto pfnSet = hKernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                                      reinterpret_cast<void*>(GetProcAddress(hKernel, "SetDefaultDllDirectories")))
                                : nullptr;
    return pfnSet && pfnSet(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE CSystemDlls::Load(const wchar_t* pszName)
{
    if (!pszName || !*pszName || wcspbrk(pszName, L"\\/:"))
        return nullptr;
    HMODULE hModule = LoadLibraryExW(pszName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (hModule || GetLastError() != ERROR_INVALID_PARAMETER)
        return hModule;
    // The flag is unknown (Windows 7 without its update): the full System32
    // path, with the DLL's own folder first for what it loads in turn.
    wchar_t szSystem[MAX_PATH] = {};
    const UINT nLength = GetSystemDirectoryW(szSystem, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(szSystem, nLength) + L"\\" + pszName;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace
{

// Called by the runtime's delay-load helper. Before a DLL is loaded, this
// loads it from System32; were it left to the helper, the helper's own
// LoadLibrary would search the program's folder first where the search could
// not be restricted. A DLL missing from System32 ends the program (as a failed
// delay load does anyway) rather than being looked for elsewhere.
FARPROC WINAPI DelayLoadHook(unsigned dliNotify, PDelayLoadInfo pInfo)
{
    if (dliNotify != dliNotePreLoadLibrary || !pInfo || !pInfo->szDll)
        return nullptr;
    std::wstring name;
    for (const char* p = pInfo->szDll; *p; ++p)
        name += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    const HMODULE hModule = CSystemDlls::Load(name.c_str());
    if (!hModule)
        RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return reinterpret_cast<FARPROC>(hModule);
}

} // namespace

// The runtime's helper calls through this pointer; defined in an object of
// the program, it takes the place of the runtime's empty default.
PfnDliHook __pfnDliNotifyHook2 = &DelayLoadHook;

// The runtime's own entry point for a GUI program.
extern "C" int WinMainCRTStartup();

// The program's entry point: DLL loading is restricted before anything else
// runs, the runtime's start-up and global constructors included.
extern "C" __attribute__((force_align_arg_pointer)) int ZelqaStartup()
{
    CSystemDlls::RestrictSearch();
    return WinMainCRTStartup();
}
