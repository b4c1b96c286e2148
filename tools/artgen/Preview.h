#pragma once

#include <filesystem>

// Review aids, never checked in: magnified strips on a checkerboard, the icon
// sizes side by side, and each page background with its controls laid over
// it at their window positions (text shown as grey bars).
namespace art
{

void WritePreviews(const std::filesystem::path& dirOut);

} // namespace art
