#include "framework/linux/PagedFileReader.h"

#include <algorithm>
#include <cstring>

#include <unistd.h>

#include "base/linux/WholeIo.h"

CPagedFileReader::CPagedFileReader(int fd, uint64_t nFileSize) : m_fd(fd), m_nFileSize(nFileSize)
{
}

CPagedFileReader::~CPagedFileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

size_t CPagedFileReader::Read(uint64_t nOffset, unsigned char* pBuffer, size_t nCount)
{
    if (nOffset >= m_nFileSize)
        return 0;
    nCount = static_cast<size_t>(std::min<uint64_t>(nCount, m_nFileSize - nOffset));
    if (nCount >= PAGE_SIZE)
        return ReadFile(nOffset, pBuffer, nCount);
    size_t nDone = 0;
    while (nDone < nCount) {
        const uint64_t nAt = nOffset + nDone;
        const Page* pPage = Fetch(nAt / PAGE_SIZE);
        const size_t nInPage = static_cast<size_t>(nAt % PAGE_SIZE);
        if (pPage->nFilled <= nInPage)
            break;
        const size_t nPiece = std::min(nCount - nDone, pPage->nFilled - nInPage);
        std::memcpy(pBuffer + nDone, pPage->data + nInPage, nPiece);
        nDone += nPiece;
    }
    return nDone;
}

const CPagedFileReader::Page* CPagedFileReader::Fetch(uint64_t nIndex)
{
    if (!m_pages)
        m_pages = std::make_unique<Page[]>(PAGE_COUNT);
    Page* pOldest = &m_pages[0];
    for (size_t i = 0; i < PAGE_COUNT; ++i) {
        Page& page = m_pages[i];
        if (page.nIndex == nIndex) {
            page.nLastUse = ++m_nClock;
            return &page;
        }
        if (page.nLastUse < pOldest->nLastUse)
            pOldest = &page;
    }
    // A page that does not read whole serves this read but is not kept: the
    // next read of it tries the file again.
    const uint64_t nStart = nIndex * PAGE_SIZE;
    const size_t nWanted = static_cast<size_t>(std::min<uint64_t>(PAGE_SIZE, m_nFileSize - nStart));
    pOldest->nIndex = UINT64_MAX;
    pOldest->nLastUse = 0;
    pOldest->nFilled = ReadFile(nStart, pOldest->data, nWanted);
    if (pOldest->nFilled == nWanted) {
        pOldest->nIndex = nIndex;
        pOldest->nLastUse = ++m_nClock;
    }
    return pOldest;
}

size_t CPagedFileReader::ReadFile(uint64_t nOffset, unsigned char* pBuffer, size_t nCount)
{
    ++m_nFileReads;
    const ssize_t n = ReadAll(m_fd, pBuffer, nCount, static_cast<off_t>(nOffset));
    return n > 0 ? static_cast<size_t>(n) : 0;
}
