// Resources are the program's own, compiled in by the resource compiler and
// found through the module's resource directory.
#include "framework/Resources.h"

#include <cstring>

namespace
{
// The bytes of a resource of the running module, which stay mapped as long
// as the module is loaded.
bool LockedResource(LPCWSTR pszType, UINT nId, const BYTE*& pData, size_t& nSize)
{
    HMODULE hModule = GetModuleHandleW(nullptr);
    HRSRC hResource = FindResourceW(hModule, MAKEINTRESOURCEW(nId & 0xFFFF), pszType);
    if (!hResource)
        return false;
    HGLOBAL hLoaded = LoadResource(hModule, hResource);
    const void* pBytes = hLoaded ? LockResource(hLoaded) : nullptr;
    if (!pBytes)
        return false;
    pData = static_cast<const BYTE*>(pBytes);
    nSize = SizeofResource(hModule, hResource);
    return true;
}

template <typename T>
T Read(const BYTE* p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}
} // namespace

bool FindResourceBytes(const wchar_t* pszType, UINT nId, const BYTE*& pData, size_t& nSize)
{
    return pszType && LockedResource(pszType, nId, pData, nSize);
}

bool FindDialogTemplate(UINT nId, DIALOG_TEMPLATE_ENTRY& entry)
{
    const BYTE* p = nullptr;
    size_t nSize = 0;
    if (!LockedResource(RT_DIALOG, nId, p, nSize) || nSize < 18)
        return false;
    entry.nId = nId & 0xFFFF;
    if (Read<WORD>(p) == 1 && Read<WORD>(p + 2) == 0xFFFF) {
        // Extended template: version, signature, help id, extended style,
        // style, item count, x, y, cx, cy.
        if (nSize < 26)
            return false;
        entry.dwExStyle = Read<DWORD>(p + 8);
        entry.dwStyle = Read<DWORD>(p + 12);
        entry.cxDialogUnits = Read<short>(p + 22);
        entry.cyDialogUnits = Read<short>(p + 24);
    } else {
        // Plain template: style, extended style, item count, x, y, cx, cy.
        entry.dwStyle = Read<DWORD>(p);
        entry.dwExStyle = Read<DWORD>(p + 4);
        entry.cxDialogUnits = Read<short>(p + 14);
        entry.cyDialogUnits = Read<short>(p + 16);
    }
    return true;
}
