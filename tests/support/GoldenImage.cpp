#include <gtest/gtest.h>

#include "support/GoldenImage.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "framework/Testing.h"
#include "support/GoldenPng.h"

namespace
{
constexpr int kChannelTolerance = 24;
constexpr double kMaxDifferentShare = 0.002;

int Channel(uint32_t px, int shift)
{
    return static_cast<int>((px >> shift) & 0xFF);
}

// Each target rasterises text with its own font engine, so each keeps goldens of its own.
std::filesystem::path GoldenFolder()
{
#if defined(_WIN32)
    return std::filesystem::path(ZELQA_GOLDEN_DIR) / "win32";
#else
    return std::filesystem::path(ZELQA_GOLDEN_DIR);
#endif
}
} // namespace

::testing::AssertionResult MatchesGolden(CWnd* pWnd, const std::string& name)
{
    std::vector<uint32_t> actual;
    int w = 0, h = 0;
    if (!CaptureWindowPixels(pWnd, actual, w, h))
        return ::testing::AssertionFailure() << "window has no pixels";

    const std::filesystem::path golden = GoldenFolder() / (name + ".png");
    const std::filesystem::path outDir = ZELQA_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(outDir);
    const char* update = std::getenv("ZELQA_UPDATE_GOLDEN");
    if (update && *update == '1') {
        if (!WritePng(golden, actual, w, h))
            return ::testing::AssertionFailure() << "cannot write " << golden.string();
        return ::testing::AssertionSuccess();
    }

    auto fail = [&](const std::string& why) {
        WritePng(outDir / (name + ".actual.png"), actual, w, h);
        return ::testing::AssertionFailure() << name << ": " << why << " (see " << outDir.string() << ")";
    };
    std::vector<uint32_t> expected;
    int ew = 0, eh = 0;
    if (!ReadPng(golden, expected, ew, eh))
        return fail("no golden image " + golden.string());
    if (ew != w || eh != h) {
        return fail("size " + std::to_string(w) + "x" + std::to_string(h) + ", golden " + std::to_string(ew) + "x" +
                    std::to_string(eh));
    }
    std::vector<uint32_t> diff(actual.size(), 0xFFFFFF);
    size_t nDifferent = 0;
    for (size_t i = 0; i < actual.size(); ++i) {
        int worst = 0;
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(Channel(actual[i], shift) - Channel(expected[i], shift)));
        if (worst > kChannelTolerance) {
            ++nDifferent;
            diff[i] = 0xFF0000;
        }
    }
    if (static_cast<double>(nDifferent) / (static_cast<double>(w) * h) > kMaxDifferentShare) {
        WritePng(outDir / (name + ".diff.png"), diff, w, h);
        return fail(std::to_string(nDifferent) + " pixels differ");
    }
    return ::testing::AssertionSuccess();
}
