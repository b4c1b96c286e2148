#pragma once

#include <filesystem>
#include <vector>

// The complete set of generated images and where each lands under res/.
namespace art
{

// The sizes the shell and the title bar ask for: small (16, 24 at 150 %),
// large (32, 48 in folders, 64 at 200 %). Larger views scale the largest.
inline constexpr int ICON_SIZES[] = {16, 24, 32, 48, 64};

// Draws everything and writes png/<id>.png, icon/zelqa-<size>.png and
// zelqa.ico under dirRes. Returns the files written. Throws on I/O errors.
std::vector<std::filesystem::path> WriteArtSet(const std::filesystem::path& dirRes);

} // namespace art
