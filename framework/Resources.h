#pragma once

#include <cstddef>

#include "framework/Types.h"

// One resource compiled into the program: a type name ("PNG", "ICON") and an
// integer id, as the Windows resource lookup finds them.
struct RESOURCE_ENTRY
{
    const wchar_t* pszType;
    UINT nId;
    const BYTE* pData;
    size_t nSize;
};

// Looks a resource up by type and integer id (only the low 16 bits of the id
// count, as with integer resource names). False when there is no such resource.
bool FindResourceBytes(const wchar_t* pszType, UINT nId, const BYTE*& pData, size_t& nSize);

// The layout of a dialog window, as its template gives it.
struct DIALOG_TEMPLATE_ENTRY
{
    UINT nId;
    DWORD dwStyle;
    DWORD dwExStyle;
    int cxDialogUnits;
    int cyDialogUnits;
};

bool FindDialogTemplate(UINT nId, DIALOG_TEMPLATE_ENTRY& entry);

// The program's resource tables; provided by the res/ folder's generated sources.
extern const RESOURCE_ENTRY g_resourceEntries[];
extern const size_t g_nResourceEntries;
extern const DIALOG_TEMPLATE_ENTRY g_dialogTemplates[];
extern const size_t g_nDialogTemplates;
