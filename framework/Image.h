#pragma once

#include <cstddef>
#include <memory>

#include "base/Types.h"

// A decoded picture with alpha, drawn by CGraphics. Made from encoded PNG bytes;
// a picture that can't be decoded exists but reads as 0 x 0 and draws nothing.
class CImage
{
public:
    // The image keeps `encoded` alive for as long as it may still decode from it.
    CImage(std::shared_ptr<const BYTE[]> encoded, size_t nSize);
    ~CImage();
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    UINT GetWidth() const;
    UINT GetHeight() const;
    bool IsDecoded() const;

    struct Impl;
    Impl* GetImpl() const { return m_pImpl.get(); }

private:
    std::unique_ptr<Impl> m_pImpl;
};
