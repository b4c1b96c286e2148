#include "support/GoldenPng.h"

#include <cairo.h>

bool ReadPng(const std::filesystem::path& path, std::vector<uint32_t>& pixels, int& width, int& height)
{
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return false;
    }
    cairo_surface_flush(s);
    width = cairo_image_surface_get_width(s);
    height = cairo_image_surface_get_height(s);
    const auto* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] =
                reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
    cairo_surface_destroy(s);
    return true;
}

bool WritePng(const std::filesystem::path& path, const std::vector<uint32_t>& pixels, int width, int height)
{
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<size_t>(width) * height)
        return false;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    auto* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = pixels[static_cast<size_t>(y) * width + x];
    cairo_surface_mark_dirty(s);
    const bool bWritten = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return bWritten;
}
