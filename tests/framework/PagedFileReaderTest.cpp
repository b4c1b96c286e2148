#include "framework/linux/PagedFileReader.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace
{
class PagedFileReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char path[] = "/tmp/zelqa-paged-XXXXXX";
        const int fd = ::mkstemp(path);
        ASSERT_GE(fd, 0);
        m_path = path;
        // Not a whole number of pages, so the last one is short.
        m_content.resize(CPagedFileReader::PAGE_SIZE * (CPagedFileReader::PAGE_COUNT + 5) + 123);
        std::mt19937 random(7);
        for (unsigned char& byte : m_content)
            byte = static_cast<unsigned char>(random());
        ASSERT_EQ(::write(fd, m_content.data(), m_content.size()), static_cast<ssize_t>(m_content.size()));
        ::close(fd);
    }
    void TearDown() override { std::remove(m_path.c_str()); }

    CPagedFileReader Open() const
    {
        return CPagedFileReader(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC), m_content.size());
    }
    std::vector<unsigned char> Expected(uint64_t nOffset, size_t nCount) const
    {
        if (nOffset >= m_content.size())
            return {};
        const size_t nEnd = std::min<size_t>(m_content.size(), nOffset + nCount);
        return {m_content.begin() + static_cast<long>(nOffset), m_content.begin() + static_cast<long>(nEnd)};
    }

    std::string m_path;
    std::vector<unsigned char> m_content;
};

std::vector<unsigned char> ReadAt(CPagedFileReader& reader, uint64_t nOffset, size_t nCount)
{
    std::vector<unsigned char> buffer(nCount);
    buffer.resize(reader.Read(nOffset, buffer.data(), nCount));
    return buffer;
}
} // namespace

// Many small reads all over a file larger than the pages kept: every one
// returns the file's bytes, across page ends and after pages were reused.
TEST_F(PagedFileReaderTest, SmallReadsAnywhereReturnTheFilesBytes)
{
    CPagedFileReader reader = Open();
    std::mt19937 random(11);
    const size_t nPage = CPagedFileReader::PAGE_SIZE;
    for (int i = 0; i < 5000; ++i) {
        const uint64_t nOffset = random() % m_content.size();
        const size_t nCount = 1 + random() % (nPage - 1);
        ASSERT_EQ(ReadAt(reader, nOffset, nCount), Expected(nOffset, nCount)) << "at " << nOffset << ", " << nCount;
    }
    // Straddling two pages, and large reads that bypass the pages.
    EXPECT_EQ(ReadAt(reader, nPage - 1, 2), Expected(nPage - 1, 2));
    EXPECT_EQ(ReadAt(reader, 3, 3 * nPage), Expected(3, 3 * nPage));
}

TEST_F(PagedFileReaderTest, ReadsStopAtTheEndOfTheFile)
{
    CPagedFileReader reader = Open();
    const uint64_t nSize = m_content.size();
    EXPECT_EQ(ReadAt(reader, nSize - 10, 100), Expected(nSize - 10, 10));
    EXPECT_TRUE(ReadAt(reader, nSize, 4).empty());
    EXPECT_TRUE(ReadAt(reader, nSize + 4096, 4).empty());
    EXPECT_EQ(ReadAt(reader, nSize - 5000, 8000), Expected(nSize - 5000, 5000));
}

// What the pages are for: the two-byte reads of a table cost one read of the
// file per page, not one each.
TEST_F(PagedFileReaderTest, NeighbouringSmallReadsShareOneFileRead)
{
    CPagedFileReader reader = Open();
    for (uint64_t nOffset = 0; nOffset < CPagedFileReader::PAGE_SIZE; nOffset += 2)
        ASSERT_EQ(ReadAt(reader, nOffset, 2), Expected(nOffset, 2));
    EXPECT_EQ(reader.FileReads(), 1u);
}

// A file that shrank under the reader, or a descriptor that fails, gives
// short reads, never stale or made-up bytes.
TEST_F(PagedFileReaderTest, AFileShorterThanToldGivesShortReads)
{
    CPagedFileReader reader(::open(m_path.c_str(), O_RDONLY | O_CLOEXEC), m_content.size() + 5000);
    EXPECT_EQ(ReadAt(reader, m_content.size() - 4, 8), Expected(m_content.size() - 4, 4));
    CPagedFileReader broken(-1, m_content.size());
    EXPECT_TRUE(ReadAt(broken, 0, 2).empty());
}
