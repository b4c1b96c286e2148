#pragma once

#include <cstddef>

#include "base/Types.h"

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
