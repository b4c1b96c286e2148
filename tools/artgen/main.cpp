// zelqa-artgen: draws the installer's skin images and writes them under a
// resource folder: png/<id>.png, icon/zelqa-<size>.png and zelqa.ico.
#include "ArtSet.h"
#include "Preview.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string_view>

int main(int argc, char** argv)
{
    std::filesystem::path dirRes;
    std::filesystem::path dirPreview;
    bool bUsage = false;
    for (int i = 1; i < argc && !bUsage; ++i) {
        const std::string_view szArg = argv[i];
        if (szArg == "--preview" && i + 1 < argc)
            dirPreview = argv[++i];
        else if (!szArg.starts_with("-") && dirRes.empty())
            dirRes = szArg;
        else
            bUsage = true;
    }
    if (bUsage || dirRes.empty()) {
        std::fprintf(stderr, "usage: zelqa-artgen <res-dir> [--preview <dir>]\n");
        return 2;
    }

    try {
        const auto vecWritten = art::WriteArtSet(dirRes);
        std::printf("zelqa-artgen: wrote %zu files under %s\n", vecWritten.size(), dirRes.string().c_str());
        if (!dirPreview.empty()) {
            art::WritePreviews(dirPreview);
            std::printf("zelqa-artgen: previews in %s\n", dirPreview.string().c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelqa-artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
