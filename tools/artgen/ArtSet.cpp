#include "ArtSet.h"

#include "Backgrounds.h"
#include "Canvas.h"
#include "ControlStrips.h"
#include "IcoBuilder.h"
#include "Marks.h"
#include "PngEncoder.h"

#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace art
{

namespace
{

std::vector<uint8_t> EncodeCanvas(const CCanvas& canvas)
{
    return CPngEncoder::Encode(canvas.Width(), canvas.Height(), canvas.ToRgba());
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

std::vector<std::filesystem::path> WriteArtSet(const std::filesystem::path& dirRes)
{
    const std::filesystem::path dirPng = dirRes / "png";
    const std::filesystem::path dirIcon = dirRes / "icon";
    std::filesystem::create_directories(dirPng);
    std::filesystem::create_directories(dirIcon);

    std::vector<std::filesystem::path> vecWritten;
    auto write = [&vecWritten](const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
        WriteBytes(path, bytes);
        vecWritten.push_back(path);
    };

    const std::pair<int, std::function<CCanvas()>> IMAGES[] = {
        {129, DrawChangeButtonStrip}, {130, DrawCheckBoxStrip},      {131, DrawCloseStrip},
        {133, DrawPillStrip},         {134, DrawProgressFill},       {135, DrawProgressTrack},
        {136, DrawFinishBackground},  {137, DrawWelcomeBackground},  {138, DrawProgressBackground},
        {140, DrawFilledButtonStrip}, {141, DrawOutlineButtonStrip},
    };
    for (const auto& [nId, draw] : IMAGES) {
        const std::vector<uint8_t> png = EncodeCanvas(draw());
        write(dirPng / (std::to_string(nId) + ".png"), png);
        // The message box's close glyph is the window's, byte for byte.
        if (nId == 131)
            write(dirPng / "139.png", png);
    }

    CIcoBuilder ico;
    for (int nSize : ICON_SIZES) {
        CCanvas canvas(nSize, nSize);
        DrawProductIcon(canvas.Cr(), 0, 0, nSize);
        const std::vector<uint8_t> rgba = canvas.ToRgba();
        write(dirIcon / ("zelqa-" + std::to_string(nSize) + ".png"), CPngEncoder::Encode(nSize, nSize, rgba));
        ico.AddImage(nSize, rgba);
    }
    write(dirRes / "zelqa.ico", ico.Build());
    return vecWritten;
}

} // namespace art
