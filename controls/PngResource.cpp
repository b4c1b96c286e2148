#include "controls/PngResource.h"

#include <cstring>
#include <new>

#include "framework/Resources.h"

BOOL LoadPngResource(UINT nId, std::unique_ptr<CImage>& pImage)
{
    const BYTE* pData = nullptr;
    size_t nSize = 0;
    if (!FindResourceBytes(L"PNG", nId, pData, nSize))
        return FALSE;
    // The image gets its own copy of the bytes and keeps it as long as it needs it.
    std::shared_ptr<BYTE[]> block(new (std::nothrow) BYTE[nSize]);
    if (!block) {
        pImage.reset();
        return TRUE;
    }
    std::memcpy(block.get(), pData, nSize);
    pImage.reset(new (std::nothrow) CImage(std::move(block), nSize));
    return TRUE;
}
