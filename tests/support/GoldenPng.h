#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// PNG files for the golden comparison: opaque 0x00RRGGBB pixels, rows from the
// top. Each target reads and writes them with a codec of its own platform.
bool ReadPng(const std::filesystem::path& path, std::vector<uint32_t>& pixels, int& width, int& height);
bool WritePng(const std::filesystem::path& path, const std::vector<uint32_t>& pixels, int width, int height);
