#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Reads pieces of an open file through a few pages kept in memory. FreeType
// reads a font's tables a number at a time, two or four bytes, and a CJK
// face's first lines of text came to thousands of system calls that way.
// Pieces of a page or more are read straight into the caller's buffer. Not
// safe for use from two threads at once; the face it serves is not either.
class CPagedFileReader
{
public:
    static constexpr size_t PAGE_SIZE = 4096;
    static constexpr size_t PAGE_COUNT = 32;

    // Takes over `fd` (closed with the reader); `nFileSize` bounds every read.
    CPagedFileReader(int fd, uint64_t nFileSize);
    ~CPagedFileReader();
    CPagedFileReader(const CPagedFileReader&) = delete;
    CPagedFileReader& operator=(const CPagedFileReader&) = delete;

    // Copies up to nCount bytes from nOffset; fewer at the end of the file or
    // when reading fails.
    size_t Read(uint64_t nOffset, unsigned char* pBuffer, size_t nCount);
    uint64_t Size() const { return m_nFileSize; }
    // How many times the file itself was read.
    size_t FileReads() const { return m_nFileReads; }

private:
    struct Page
    {
        uint64_t nIndex = UINT64_MAX; // which page of the file it holds
        size_t nFilled = 0;           // short only for the file's last page
        uint64_t nLastUse = 0;
        unsigned char data[PAGE_SIZE];
    };

    const Page* Fetch(uint64_t nIndex);
    size_t ReadFile(uint64_t nOffset, unsigned char* pBuffer, size_t nCount);

    int m_fd;
    uint64_t m_nFileSize;
    std::unique_ptr<Page[]> m_pages; // made on the first small read
    uint64_t m_nClock = 0;
    size_t m_nFileReads = 0;
};
