// The checked-in images must be exactly what the generator draws today, so a
// change to the artwork's source cannot be committed without its output.
#include "PngImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <unistd.h>

namespace
{

class CTempDir
{
public:
    CTempDir()
    {
        std::string szTemplate = (std::filesystem::temp_directory_path() / "zelqa-art-XXXXXX").string();
        if (mkdtemp(szTemplate.data()))
            m_path = szTemplate;
    }
    ~CTempDir()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

std::set<std::string> FilesUnder(const std::filesystem::path& dir)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.insert(std::filesystem::relative(entry.path(), dir).generic_string());
    return files;
}

} // namespace

TEST(ArtGenerator, CheckedInImagesMatchFreshOutput)
{
    CTempDir tmp;
    ASSERT_FALSE(tmp.Path().empty());
    const std::string szCommand = std::string("\"") + ZELQA_ARTGEN + "\" \"" + tmp.Path().string() + "\" > /dev/null";
    ASSERT_EQ(std::system(szCommand.c_str()), 0) << szCommand;

    const std::set<std::string> generated = FilesUnder(tmp.Path());
    std::set<std::string> expected = {"zelqa.ico"};
    for (int nId : {129, 130, 131, 133, 134, 135, 136, 137, 138, 139, 140, 141})
        expected.insert("png/" + std::to_string(nId) + ".png");
    for (int nSize : {16, 24, 32, 48, 64, 128})
        expected.insert("icon/zelqa-" + std::to_string(nSize) + ".png");
    EXPECT_EQ(generated, expected);

    const std::filesystem::path resDir = ZELQA_RES_DIR;
    for (const std::string& szFile : generated) {
        const auto fresh = ReadFileBytes(tmp.Path() / szFile);
        const auto checkedIn = ReadFileBytes(resDir / szFile);
        EXPECT_FALSE(fresh.empty()) << szFile;
        EXPECT_TRUE(fresh == checkedIn) << szFile << " differs from the generator's output; run the regen-art target";
    }
}
