#include <gtest/gtest.h>

#include "support/GoldenImage.h"

#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "framework/Testing.h"

namespace
{
constexpr int kChannelTolerance = 24;
constexpr double kMaxDifferentShare = 0.002;

int Channel(uint32_t px, int shift) { return static_cast<int>((px >> shift) & 0xFF); }

cairo_surface_t* SurfaceFrom(const std::vector<uint32_t>& pixels, int w, int h)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    auto* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = pixels[static_cast<size_t>(y) * w + x];
    cairo_surface_mark_dirty(s);
    return s;
}
} // namespace

::testing::AssertionResult MatchesGolden(CWnd* pWnd, const std::string& name)
{
    std::vector<uint32_t> actual;
    int w = 0, h = 0;
    if (!CaptureWindowPixels(pWnd, actual, w, h))
        return ::testing::AssertionFailure() << "window has no pixels";

    const std::filesystem::path golden = std::filesystem::path(ZELQA_GOLDEN_DIR) / (name + ".png");
    const std::filesystem::path outDir = ZELQA_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(outDir);
    const char* update = std::getenv("ZELQA_UPDATE_GOLDEN");
    if (update && *update == '1') {
        cairo_surface_t* s = SurfaceFrom(actual, w, h);
        cairo_surface_write_to_png(s, golden.c_str());
        cairo_surface_destroy(s);
        return ::testing::AssertionSuccess();
    }

    cairo_surface_t* expected = cairo_image_surface_create_from_png(golden.c_str());
    auto fail = [&](const std::string& why) {
        cairo_surface_t* s = SurfaceFrom(actual, w, h);
        cairo_surface_write_to_png(s, (outDir / (name + ".actual.png")).c_str());
        cairo_surface_destroy(s);
        return ::testing::AssertionFailure() << name << ": " << why << " (see " << outDir.string() << ")";
    };
    if (cairo_surface_status(expected) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(expected);
        return fail("no golden image " + golden.string());
    }
    const int ew = cairo_image_surface_get_width(expected);
    const int eh = cairo_image_surface_get_height(expected);
    if (ew != w || eh != h) {
        cairo_surface_destroy(expected);
        return fail("size " + std::to_string(w) + "x" + std::to_string(h) + ", golden " + std::to_string(ew) + "x" +
                    std::to_string(eh));
    }
    cairo_surface_flush(expected);
    const auto* data = cairo_image_surface_get_data(expected);
    const int stride = cairo_image_surface_get_stride(expected);
    std::vector<uint32_t> diff(actual.size(), 0xFFFFFF);
    size_t nDifferent = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint32_t e = reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
            uint32_t a = actual[static_cast<size_t>(y) * w + x];
            int worst = 0;
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(Channel(a, shift) - Channel(e, shift)));
            if (worst > kChannelTolerance) {
                ++nDifferent;
                diff[static_cast<size_t>(y) * w + x] = 0xFF0000;
            }
        }
    }
    cairo_surface_destroy(expected);
    if (static_cast<double>(nDifferent) / (static_cast<double>(w) * h) > kMaxDifferentShare) {
        cairo_surface_t* s = SurfaceFrom(diff, w, h);
        cairo_surface_write_to_png(s, (outDir / (name + ".diff.png")).c_str());
        cairo_surface_destroy(s);
        return fail(std::to_string(nDifferent) + " pixels differ");
    }
    return ::testing::AssertionSuccess();
}
