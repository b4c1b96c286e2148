#pragma once

#include <filesystem>
#include <vector>

// The complete set of generated images and where each lands under res/.
namespace art
{

inline constexpr int ICON_SIZES[] = {16, 24, 32, 48, 64, 128};

// Draws everything and writes png/<id>.png, icon/zelqa-<size>.png and
// zelqa.ico under dirRes. Returns the files written. Throws on I/O errors.
std::vector<std::filesystem::path> WriteArtSet(const std::filesystem::path& dirRes);

} // namespace art
