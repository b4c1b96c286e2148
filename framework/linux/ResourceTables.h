#pragma once

#include <cstddef>

#include "base/Types.h"
#include "framework/Resources.h"

// Without a resource compiler the program's resources are tables compiled in,
// which FindResourceBytes and FindDialogTemplate search.

// One resource compiled into the program: a type name ("PNG", "ICON") and an
// integer id, as the Windows resource lookup finds them.
struct RESOURCE_ENTRY
{
    const wchar_t* pszType;
    UINT nId;
    const BYTE* pData;
    size_t nSize;
};

// A PNG resource's pixels, decoded when the program was built, as the cairo
// backend draws them: premultiplied ARGB32 rows of nStride bytes.
struct DECODED_IMAGE_ENTRY
{
    UINT nId;
    const unsigned char* pPixels;
    int nWidth;
    int nHeight;
    int nStride;
};

// The pixels built in for a PNG whose bytes are exactly those of a PNG
// resource; null when there are none.
const DECODED_IMAGE_ENTRY* FindDecodedImage(const BYTE* pPng, size_t nSize);

// The program's resource tables; provided by the res/ folder's sources.
extern const RESOURCE_ENTRY g_resourceEntries[];
extern const size_t g_nResourceEntries;
extern const DIALOG_TEMPLATE_ENTRY g_dialogTemplates[];
extern const size_t g_nDialogTemplates;
extern const DECODED_IMAGE_ENTRY g_decodedImages[];
extern const size_t g_nDecodedImages;
