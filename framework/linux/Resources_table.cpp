// On Linux the resources are tables compiled in from res/ (see
// cmake/EmbedResources.cmake); lookups search them.
#include "framework/linux/ResourceTables.h"

#include <cstring>
#include <cwchar>

bool FindResourceBytes(const wchar_t* pszType, UINT nId, const BYTE*& pData, size_t& nSize)
{
    const UINT nLowId = nId & 0xFFFF;
    for (size_t i = 0; i < g_nResourceEntries; ++i) {
        const RESOURCE_ENTRY& entry = g_resourceEntries[i];
        if (entry.nId == nLowId && std::wcscmp(entry.pszType, pszType) == 0) {
            pData = entry.pData;
            nSize = entry.nSize;
            return true;
        }
    }
    return false;
}

bool FindDialogTemplate(UINT nId, DIALOG_TEMPLATE_ENTRY& entry)
{
    for (size_t i = 0; i < g_nDialogTemplates; ++i) {
        if (g_dialogTemplates[i].nId == nId) {
            entry = g_dialogTemplates[i];
            return true;
        }
    }
    return false;
}

const DECODED_IMAGE_ENTRY* FindDecodedImage(const BYTE* pPng, size_t nSize)
{
    // Matched by content: whoever made the image holds its own copy of the bytes.
    for (size_t i = 0; i < g_nResourceEntries; ++i) {
        const RESOURCE_ENTRY& entry = g_resourceEntries[i];
        if (entry.nSize != nSize || std::wcscmp(entry.pszType, L"PNG") != 0 ||
            std::memcmp(entry.pData, pPng, nSize) != 0)
            continue;
        for (size_t j = 0; j < g_nDecodedImages; ++j) {
            if (g_decodedImages[j].nId == entry.nId)
                return &g_decodedImages[j];
        }
    }
    return nullptr;
}
