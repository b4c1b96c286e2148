#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 0x00RRGGBB pixels, rows from the top, as a PNG file.
bool SavePixelsAsPng(const std::vector<uint32_t>& pixels, int width, int height, const std::wstring& path);
