#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>

#include "os/posix/download/TempFile.h"

namespace fs = std::filesystem;

namespace
{

class TempFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string strTemplate = (fs::temp_directory_path() / "zelqa-tempfile-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_folder = strTemplate;
        fs::permissions(m_folder, static_cast<fs::perms>(0755));
        m_target = m_folder / "ZELQACONVERT.exe";
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    std::string TargetContents() const
    {
        std::ifstream in(m_target, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path m_folder;
    fs::path m_target;
};

std::string RandomBytes(size_t nSize)
{
    std::mt19937 random(7);
    std::string strBytes(nSize, '\0');
    for (char& ch : strBytes)
        ch = static_cast<char>(random());
    return strBytes;
}

// Lowers the largest file this process may write for the life of the object;
// a write past it fails (EFBIG) instead of raising SIGXFSZ.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t nBytes)
    {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = nBytes;
        m_bSet = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    CFileSizeLimit(const CFileSizeLimit&) = delete;
    CFileSizeLimit& operator=(const CFileSizeLimit&) = delete;

    bool IsSet() const { return m_bSet; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = SIG_DFL;
    bool m_bSet = false;
};

} // namespace

TEST_F(TempFileTest, PiecesOfEverySizeArriveWholeAndInOrder)
{
    // Small pieces gathered, pieces that just fill the buffer, one larger
    // than it, and a tail left in the buffer until Close().
    const size_t nBuffer = CTempFile::WRITE_BUFFER_BYTES;
    const std::string strPayload = RandomBytes(6 * nBuffer + 12345);
    const size_t pieces[] = {1, 7, 16384, nBuffer - 16392, nBuffer, 3 * nBuffer + 1, 16384};
    CTempFile file;
    ASSERT_TRUE(file.Create(m_target.string()));
    size_t nOffset = 0;
    for (size_t nPiece : pieces) {
        ASSERT_TRUE(file.Write(strPayload.data() + nOffset, nPiece));
        nOffset += nPiece;
    }
    ASSERT_TRUE(file.Write(strPayload.data() + nOffset, strPayload.size() - nOffset));
    EXPECT_FALSE(fs::exists(m_target)) << "the target appeared before the file was complete";
    ASSERT_TRUE(file.Close());
    ASSERT_TRUE(file.MoveIntoPlace());

    EXPECT_TRUE(TargetContents() == strPayload) << "the file differs from what was written";
    struct stat st
    {
    };
    ASSERT_EQ(stat(m_target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
}

TEST_F(TempFileTest, AWriteThatFailsAfterGatheringFailsCloseAndLeavesNothing)
{
    // Each piece fits the buffer, so the disk's refusal shows only when the
    // gathered bytes go out: that must still be a failure, never a short file.
    std::string strTempName;
    {
        CTempFile file;
        ASSERT_TRUE(file.Create(m_target.string()));
        strTempName = file.GetTempName();
        const std::string strPiece = RandomBytes(4096);
        CFileSizeLimit limit(10000);
        ASSERT_TRUE(limit.IsSet());
        bool bAllWritten = true;
        for (int i = 0; i < 8; ++i)
            bAllWritten = file.Write(strPiece.data(), strPiece.size()) && bAllWritten;
        EXPECT_TRUE(bAllWritten) << "gathered pieces need no write yet";
        EXPECT_FALSE(file.Close()) << "bytes lost at the file size limit were reported as written";
        EXPECT_FALSE(file.MoveIntoPlace());
    }
    EXPECT_FALSE(fs::exists(m_target));
    EXPECT_FALSE(fs::exists(m_folder / strTempName));

    // Past the buffer, the failing write is reported at once.
    CTempFile file;
    ASSERT_TRUE(file.Create(m_target.string()));
    const std::string strLarge = RandomBytes(CTempFile::WRITE_BUFFER_BYTES);
    CFileSizeLimit limit(10000);
    EXPECT_FALSE(file.Write(strLarge.data(), strLarge.size()));
}
