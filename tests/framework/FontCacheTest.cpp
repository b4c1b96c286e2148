#include "framework/linux/FontCache.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/UiFont.h"
#include "framework/Font.h"
#include "framework/linux/GdiTypes.h"

namespace fs = std::filesystem;

namespace
{
std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class FontCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zelqa-fontcache-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_cachePath = m_dir / "cache" / "zelqa" / "fonts";
        m_fontA = m_dir / "a.ttf";
        m_fontB = m_dir / "b.ttc";
        WriteText(m_fontA, "font a");
        WriteText(m_fontB, "font b, longer");
        m_witness = m_dir / "fonts.conf";
        WriteText(m_witness, "<fontconfig/>");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    CFontCache Cache() const
    {
        return CFontCache(m_cachePath.string(), {m_witness.string(), (m_dir / "absent").string()});
    }

    // A cache file holding both fonts, written and read back by another instance.
    CFontCache Filled()
    {
        CFontCache writer = Cache();
        EXPECT_TRUE(writer.Remember(kUi, {m_fontA.string(), 0}));
        EXPECT_TRUE(writer.Remember(kBold, {m_fontB.string(), 3}));
        CFontCache reader = Cache();
        reader.Load();
        return reader;
    }

    const CFontCache::Request kUi{"Microsoft YaHei", false, false};
    const CFontCache::Request kBold{"Microsoft YaHei", true, false};
    fs::path m_dir, m_cachePath, m_fontA, m_fontB, m_witness;
};

TEST_F(FontCacheTest, KeepsEachRequestsFileAcrossRunsAndWritesWhole)
{
    CFontCache cache = Filled();
    CFontCache::FaceFile face;
    ASSERT_TRUE(cache.Find(kUi, face));
    EXPECT_EQ(face.strPath, m_fontA.string());
    EXPECT_EQ(face.nIndex, 0);
    ASSERT_TRUE(cache.Find(kBold, face));
    EXPECT_EQ(face.strPath, m_fontB.string());
    EXPECT_EQ(face.nIndex, 3);
    EXPECT_FALSE(cache.Find({"Microsoft YaHei", false, true}, face));
    EXPECT_FALSE(cache.Find({"", false, false}, face));

    // Written through a temporary file renamed over it: nothing else is left
    // in the folder, which was made for it.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_cachePath.parent_path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"fonts"});
}

TEST_F(FontCacheTest, ForgetsAFontFileThatChangedOrWent)
{
    {
        // Another size.
        Filled();
        WriteText(m_fontA, "font a, rebuilt");
        CFontCache cache = Cache();
        cache.Load();
        CFontCache::FaceFile face;
        EXPECT_FALSE(cache.Find(kUi, face));
        EXPECT_TRUE(cache.Find(kBold, face)) << "the other entry still holds";
    }
    {
        // The same size, another modification time.
        Filled();
        const timespec times[2] = {{0, UTIME_OMIT}, {1000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, m_fontB.c_str(), times, 0), 0);
        CFontCache cache = Cache();
        cache.Load();
        CFontCache::FaceFile face;
        EXPECT_FALSE(cache.Find(kBold, face));
        EXPECT_TRUE(cache.Find(kUi, face));
    }
    {
        // Gone, and a folder in its place.
        Filled();
        fs::remove(m_fontA);
        fs::create_directory(m_fontA);
        CFontCache cache = Cache();
        cache.Load();
        CFontCache::FaceFile face;
        EXPECT_FALSE(cache.Find(kUi, face));
    }
}

TEST_F(FontCacheTest, ForgetsEverythingWhenTheFontConfigurationChanged)
{
    Filled();
    WriteText(m_witness, "<fontconfig><dir>/elsewhere</dir></fontconfig>");
    CFontCache changed = Cache();
    changed.Load();
    EXPECT_TRUE(changed.IsEmpty());

    Filled();
    WriteText(m_dir / "absent", ""); // a witness that was missing appears
    CFontCache appeared = Cache();
    appeared.Load();
    EXPECT_TRUE(appeared.IsEmpty());

    // A cache made with other witnesses is not ours to trust.
    fs::remove(m_dir / "absent");
    Filled();
    CFontCache other(m_cachePath.string(), {m_witness.string()});
    other.Load();
    EXPECT_TRUE(other.IsEmpty());
}

TEST_F(FontCacheTest, IgnoresACorruptOrForeignFileWholeAndReplacesIt)
{
    Filled();
    const std::string good = ReadText(m_cachePath);
    ASSERT_FALSE(good.empty());
    const std::string header = good.substr(0, good.find('\n') + 1);
    const std::string fontLine = "f\tMicrosoft YaHei\t0\t0\t" + m_fontA.string() + "\t0\t";
    const std::string stamp = good.substr(good.find(fontLine) + fontLine.size(),
                                          good.find('\n', good.find(fontLine)) - good.find(fontLine) - fontLine.size());
    const std::string valid = good.substr(0, good.find("\nf\t") + 1); // the header and witnesses
    const std::vector<std::string> bad = {
        "",
        "zelqa-fonts 2\n" + good.substr(header.size()),
        "some other program's cache\n",
        good.substr(0, good.size() - 1), // cut short
        valid + "x\tsomething\n",
        valid + "f\tMicrosoft YaHei\t2\t0\t" + m_fontA.string() + "\t0\t" + stamp + "\n",
        valid + "f\tMicrosoft YaHei\t0\t0\t" + m_fontA.string() + "\t-1\t" + stamp + "\n",
        valid + "f\tMicrosoft YaHei\t0\t0\t" + m_fontA.string() + "\t0x1\t" + stamp + "\n",
        valid + "f\tMicrosoft YaHei\t0\t0\ta.ttf\t0\t" + stamp + "\n", // relative
        valid + "f\tMicrosoft YaHei\t0\t0\t" + m_fontA.string() + "\t0\t" + stamp + "\textra\n",
        valid + "f\tMicrosoft YaHei\t0\t0\t" + m_fontA.string() + "\t0\t" + stamp + "\n" + std::string(70000, '#') +
            "\n",
        good.substr(header.size()), // no header
    };
    ASSERT_NE(good.find(fontLine + stamp + "\n"), std::string::npos) << "the test writes lines as the cache does";
    for (size_t i = 0; i < bad.size(); ++i) {
        WriteText(m_cachePath, bad[i]);
        CFontCache cache = Cache();
        cache.Load();
        EXPECT_TRUE(cache.IsEmpty()) << "case " << i;
    }
    // The well-formed line the cases above spoil is read.
    WriteText(m_cachePath, valid + fontLine + stamp + "\n");
    CFontCache cache = Cache();
    cache.Load();
    CFontCache::FaceFile face;
    EXPECT_TRUE(cache.Find(kUi, face));

    // Not a regular file: neither blocks nor counts, and is left alone.
    fs::remove(m_cachePath);
    ASSERT_EQ(::mkfifo(m_cachePath.c_str(), 0600), 0);
    CFontCache fifo = Cache();
    fifo.Load();
    EXPECT_TRUE(fifo.IsEmpty());
    fs::remove(m_cachePath);

    // A corrupt file is replaced by a good one at the next answer.
    WriteText(m_cachePath, "zelqa-fonts 1\ngarbage\n");
    CFontCache again = Cache();
    again.Load();
    EXPECT_TRUE(again.Remember(kUi, {m_fontA.string(), 0}));
    CFontCache reread = Cache();
    reread.Load();
    EXPECT_TRUE(reread.Find(kUi, face));
}

TEST_F(FontCacheTest, KeepsOnlyWhatItCanWriteBack)
{
    CFontCache cache = Cache();
    EXPECT_FALSE(cache.Remember({"Odd\tName", false, false}, {m_fontA.string(), 0}));
    EXPECT_FALSE(cache.Remember(kUi, {"relative.ttf", 0}));
    EXPECT_FALSE(cache.Remember(kUi, {(m_dir / "missing.ttf").string(), 0}));
    EXPECT_FALSE(cache.Remember(kUi, {m_fontA.string(), -1}));
    EXPECT_FALSE(fs::exists(m_cachePath));

    // A folder that cannot be made: the answer holds for this run only.
    WriteText(m_dir / "file", "");
    CFontCache blocked((m_dir / "file" / "zelqa" / "fonts").string(), {});
    EXPECT_FALSE(blocked.Remember(kUi, {m_fontA.string(), 0}));
    CFontCache::FaceFile face;
    EXPECT_TRUE(blocked.Find(kUi, face));
}

TEST(FontCachePlaces, FollowTheCacheAndConfigurationVariables)
{
    EXPECT_EQ(CFontCache::DefaultPath("/x/cache/", "/home/u"), "/x/cache/zelqa/fonts");
    EXPECT_EQ(CFontCache::DefaultPath("relative", "/home/u/"), "/home/u/.cache/zelqa/fonts");
    EXPECT_EQ(CFontCache::DefaultPath(nullptr, "/home/u"), "/home/u/.cache/zelqa/fonts");
    EXPECT_EQ(CFontCache::DefaultPath("", ""), "");
    EXPECT_EQ(CFontCache::DefaultPath(nullptr, nullptr), "");

    const auto witnesses = CFontCache::DefaultWitnesses("/cfg", nullptr, "data", "/home/u");
    auto has = [&](const std::string& path) {
        return std::find(witnesses.begin(), witnesses.end(), path) != witnesses.end();
    };
    EXPECT_TRUE(has("/etc/fonts/conf.d"));
    EXPECT_TRUE(has("/cfg/fontconfig/fonts.conf"));
    EXPECT_TRUE(has("/home/u/.cache/fontconfig"));
    EXPECT_TRUE(has("/home/u/.local/share/fonts")) << "a relative XDG_DATA_HOME is ignored, as fontconfig does";
    EXPECT_TRUE(has("/home/u/.fonts"));
}

// Each step runs in a fresh process (the fonts a process found are kept for
// its life), all sharing one cache folder through the environment; the
// process that made the folder owns it.
class FontCacheInUse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        const char* dir = std::getenv("ZELQA_FONT_CACHE_TEST_DIR");
        if (dir) {
            m_dir = dir;
        } else {
            std::string pattern = (fs::temp_directory_path() / "zelqa-fontcache-use-XXXXXX").string();
            ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
            m_dir = pattern;
            ::setenv("ZELQA_FONT_CACHE_TEST_DIR", pattern.c_str(), 1);
            m_bOwner = true;
        }
        const char* old = std::getenv("XDG_CACHE_HOME");
        m_oldCacheHome = old ? old : "";
        m_bHadCacheHome = old != nullptr;
        ::setenv("XDG_CACHE_HOME", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        if (!m_bOwner)
            return;
        ::unsetenv("ZELQA_FONT_CACHE_TEST_DIR");
        if (m_bHadCacheHome)
            ::setenv("XDG_CACHE_HOME", m_oldCacheHome.c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
        fs::remove_all(m_dir);
    }

    fs::path m_dir;
    std::string m_oldCacheHome;
    bool m_bHadCacheHome = false;
    bool m_bOwner = false;
};

// Exit codes tell which check failed in the child.
int MakeUiFonts(bool bExpectFontConfig)
{
    StartLoadingFontConfiguration();
    if (FontConfigurationUsed() != bExpectFontConfig)
        return 2;
    CFont regular, bold;
    FontDesc boldDesc = UiFont(20);
    boldDesc.nWeight = 700;
    if (!regular.CreateFontIndirect(UiFont(16)) || !bold.CreateFontIndirect(boldDesc))
        return 3;
    if (FontConfigurationUsed() != bExpectFontConfig)
        return 4;
    return 0;
}

TEST_F(FontCacheInUse, ALaterStartOpensTheKnownFilesWithoutFontconfig)
{
    const fs::path cacheFile = m_dir / "zelqa" / "fonts";
    // First start: nothing known, fontconfig answers and the answers are kept.
    EXPECT_EXIT(std::exit(MakeUiFonts(true)), ::testing::ExitedWithCode(0), "");
    ASSERT_TRUE(fs::exists(cacheFile));
    const std::string first = ReadText(cacheFile);
    EXPECT_NE(first.find("\tMicrosoft YaHei\t1\t0\t/"), std::string::npos) << first;

    // Later start: the same fonts, no fontconfig; a request not seen before
    // starts it and is added.
    EXPECT_EXIT(
        {
            int status = MakeUiFonts(false);
            CFont italic;
            FontDesc desc = UiFont(16);
            desc.bItalic = true;
            if (status == 0 && (!italic.CreateFontIndirect(desc) || !FontConfigurationUsed()))
                status = 5;
            std::exit(status);
        },
        ::testing::ExitedWithCode(0), "");
    const std::string second = ReadText(cacheFile);
    EXPECT_NE(second.find("\tMicrosoft YaHei\t0\t1\t/"), std::string::npos) << second;

    // A spoilt cache costs a fontconfig start and is written anew. (Each
    // child runs the test's body up to its own step: only this process
    // spoils it.)
    if (m_bOwner)
        WriteText(cacheFile, "zelqa-fonts 1\nf\tMicrosoft YaHei\t0\t0\t/nonexistent.ttf\t0\t1:1.1\n");
    EXPECT_EXIT(std::exit(MakeUiFonts(true)), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(ReadText(cacheFile).find("nonexistent"), std::string::npos);
    EXPECT_EXIT(std::exit(MakeUiFonts(false)), ::testing::ExitedWithCode(0), "");
}
} // namespace
