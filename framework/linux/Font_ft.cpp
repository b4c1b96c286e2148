#include "framework/Font.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <tuple>

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/DC.h"
#include "framework/linux/GdiTypes.h"
#include "base/Utf8.h"
#include "framework/linux/FontCache.h"
#include "framework/linux/PagedFileReader.h"
#include "framework/linux/SdlWindowBackend.h"

namespace
{
struct LoadedFace
{
    cairo_font_face_t* pCairoFace = nullptr;
    double dAscentPerEm = 0.8; // ascent of the cell, in ems
    double dCellPerEm = 1.0;   // cell height (ascent + descent), in ems
};

std::mutex g_fontMutex;
FT_Library g_ftLibrary = nullptr;
std::future<bool> g_fontConfigLoading; // fontconfig reading its configuration
std::atomic<bool> g_bFontConfigUsed{false};
std::unique_ptr<CFontCache> g_pFontCache;  // read on first use; null when there is none to keep
std::map<std::string, LoadedFace> g_faces; // by file and index; kept for the process
// What each request came to, so that only the first of each asks fontconfig.
std::map<std::tuple<std::string, bool, bool>, const LoadedFace*> g_matches;

const cairo_user_data_key_t kFtFaceKey{};

void DoneFtFace(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

// Font files are read, not mapped: a CJK face's glyphs lie all over a file
// of several megabytes, and each glyph touched through a mapping brings its
// neighbourhood into memory with it.
unsigned long ReadFontFile(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count)
{
    auto* reader = static_cast<CPagedFileReader*>(stream->descriptor.pointer);
    if (count == 0) // a seek: FreeType only asks whether the offset is inside
        return offset <= stream->size ? 0 : 1;
    return reader->Read(offset, buffer, count);
}

void CloseFontFile(FT_Stream stream)
{
    delete static_cast<CPagedFileReader*>(stream->descriptor.pointer);
    delete stream;
}

FT_Error OpenFontFile(const char* path, int index, FT_Face* face)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return FT_Err_Cannot_Open_Resource;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FT_Err_Cannot_Open_Resource;
    }
    auto* stream = new FT_StreamRec{};
    stream->size = static_cast<unsigned long>(st.st_size);
    stream->descriptor.pointer = new CPagedFileReader(fd, static_cast<uint64_t>(st.st_size));
    stream->read = ReadFontFile;
    stream->close = CloseFontFile;
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = stream;
    // The stream's close runs when the face is done with, also when opening fails.
    return FT_Open_Face(g_ftLibrary, &args, index, face);
}

// Cell metrics as Windows computes them: the OS/2 table's Windows ascent and
// descent, else the horizontal header's.
void MeasureFace(FT_Face face, LoadedFace& loaded)
{
    const double em = face->units_per_EM ? face->units_per_EM : 1000.0;
    double ascent = face->ascender;
    double descent = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
        if (os2->usWinAscent + os2->usWinDescent > 0) {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
    }
    if (ascent + descent <= 0) {
        ascent = 0.8 * em;
        descent = 0.2 * em;
    }
    loaded.dAscentPerEm = ascent / em;
    loaded.dCellPerEm = (ascent + descent) / em;
}

// The font file that stands in for `family`, as fontconfig answers: the
// family itself when installed, otherwise (or with no family asked for) a CJK
// face so that Chinese text always has glyphs. Called with g_fontMutex held.
bool MatchFace(const std::string& family, int weight, bool italic, CFontCache::FaceFile& found)
{
    g_bFontConfigUsed = true;
    if (g_fontConfigLoading.valid())
        g_fontConfigLoading.get();
    FcPattern* pattern = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("WenQuanYi Micro Hei"));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("Noto Sans CJK SC"));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    FcChar8* file = nullptr;
    int index = 0;
    FcPatternGetString(match, FC_FILE, 0, &file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    if (file) {
        found.strPath = reinterpret_cast<const char*>(file);
        found.nIndex = index;
    }
    FcPatternDestroy(match);
    return file != nullptr;
}

// The face in `file`, opened once for the process. Called with g_fontMutex held.
const LoadedFace* OpenFace(const CFontCache::FaceFile& file)
{
    if (!g_ftLibrary && FT_Init_FreeType(&g_ftLibrary) != 0)
        return nullptr;
    const std::string key = file.strPath + "#" + std::to_string(file.nIndex);
    if (auto it = g_faces.find(key); it != g_faces.end())
        return &it->second;
    FT_Face face = nullptr;
    if (OpenFontFile(file.strPath.c_str(), file.nIndex, &face) != 0)
        return nullptr;
    LoadedFace loaded;
    MeasureFace(face, loaded);
    loaded.pCairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    cairo_font_face_set_user_data(loaded.pCairoFace, &kFtFaceKey, face, DoneFtFace);
    return &g_faces.emplace(key, loaded).first->second;
}

// The cache of earlier runs' answers, read on first use. Null when fontconfig
// is pointed elsewhere by the environment (its answers would not be ours to
// keep) or there is no folder to keep it in. Called with g_fontMutex held.
CFontCache* FontCache()
{
    static bool s_bRead = false;
    if (s_bRead)
        return g_pFontCache.get();
    s_bRead = true;
    for (const char* name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"}) {
        if (const char* value = std::getenv(name); value && *value)
            return nullptr;
    }
    const char* home = secure_getenv("HOME");
    const char* cacheHome = secure_getenv("XDG_CACHE_HOME");
    std::string path = CFontCache::DefaultPath(cacheHome, home);
    if (path.empty())
        return nullptr;
    g_pFontCache = std::make_unique<CFontCache>(
        std::move(path), CFontCache::DefaultWitnesses(secure_getenv("XDG_CONFIG_HOME"), cacheHome,
                                                      secure_getenv("XDG_DATA_HOME"), home));
    g_pFontCache->Load();
    return g_pFontCache.get();
}

const LoadedFace* FindFace(const std::string& family, int weight, bool italic)
{
    std::lock_guard<std::mutex> lock(g_fontMutex);
    const auto request = std::make_tuple(family, weight >= 600, italic);
    if (auto known = g_matches.find(request); known != g_matches.end())
        return known->second;
    CFontCache* cache = FontCache();
    const CFontCache::Request key{family, weight >= 600, italic};
    CFontCache::FaceFile file;
    const LoadedFace* face = nullptr;
    if (cache && cache->Find(key, file))
        face = OpenFace(file);
    if (!face && MatchFace(family, weight, italic, file)) {
        face = OpenFace(file);
        if (face && cache)
            cache->Remember(key, file);
    }
    if (face)
        g_matches.emplace(request, face);
    return face;
}

} // namespace

void StartLoadingFontConfiguration()
{
    // Reading the configuration and the font caches takes milliseconds that
    // would otherwise come before the first window can show; done meanwhile.
    std::lock_guard<std::mutex> lock(g_fontMutex);
    if (g_fontConfigLoading.valid() || g_bFontConfigUsed)
        return;
    // Earlier runs' answers spare it altogether; a request they lack starts
    // it then.
    if (const CFontCache* cache = FontCache(); cache && !cache->IsEmpty())
        return;
    g_bFontConfigUsed = true;
    try {
        g_fontConfigLoading = std::async(std::launch::async, [] { return FcInit() == FcTrue; });
    } catch (const std::system_error&) {
        // No thread to be had: the first font made reads it instead.
    }
}

bool FontConfigurationUsed()
{
    return g_bFontConfigUsed;
}

namespace
{
void ApplyFont(cairo_t* cr, HFONT font)
{
    cairo_set_font_face(cr, font->pFace);
    // cairo sizes the face itself; the em size is what gives the cell height.
    cairo_set_font_size(cr, font->dEmPixels);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

HFONT MakeFont(const FontDesc& desc)
{
    const LoadedFace* face = FindFace(ToUtf8(desc.pszFace ? desc.pszFace : L""), desc.nWeight, desc.bItalic);
    if (!face)
        return nullptr;
    auto* font = new HFONT__;
    font->pFace = face->pCairoFace;
    font->nCellHeight = desc.nHeight > 0 ? desc.nHeight : (desc.nHeight < 0 ? -desc.nHeight : 16);
    // A positive height is the cell height; a negative one the em height.
    font->dEmPixels = desc.nHeight > 0 ? desc.nHeight / face->dCellPerEm : font->nCellHeight;
    if (desc.nHeight < 0)
        font->nCellHeight = static_cast<int>(std::lround(font->dEmPixels * face->dCellPerEm));
    font->dAscent = std::round(font->dEmPixels * face->dAscentPerEm);
    font->bUnderline = desc.bUnderline;
    return font;
}

// Text measuring needs a cairo context even without a target.
cairo_t* MeasuringContext()
{
    static cairo_surface_t* s_surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    static cairo_t* s_cr = cairo_create(s_surface);
    return s_cr;
}
} // namespace

HFONT GetDefaultFont()
{
    // The system's interface face, as a DC without a selected font uses it.
    static HFONT s_font = [] {
        FontDesc desc{};
        desc.nHeight = 16;
        return MakeFont(desc);
    }();
    return s_font;
}

BOOL CFont::CreateFontIndirect(const FontDesc& desc)
{
    DeleteObject();
    m_hFont = MakeFont(desc);
    return m_hFont != nullptr;
}

void CFont::DeleteObject()
{
    delete m_hFont;
    m_hFont = nullptr;
}

CSize CDC::GetTextExtent(const wchar_t* psz, int nCount) const
{
    HFONT font = (m_hDC && m_hDC->hFont) ? m_hDC->hFont : GetDefaultFont();
    if (!font)
        return {};
    if (!psz || nCount <= 0)
        return CSize(0, font->nCellHeight);
    cairo_t* cr = MeasuringContext();
    cairo_save(cr);
    ApplyFont(cr, font);
    cairo_text_extents_t extents{};
    std::string utf8 = ToUtf8(std::wstring(psz, static_cast<size_t>(nCount)));
    cairo_text_extents(cr, utf8.c_str(), &extents);
    cairo_restore(cr);
    return CSize(static_cast<LONG>(std::lround(extents.x_advance)), font->nCellHeight);
}

BOOL CDC::TextOut(int x, int y, const wchar_t* psz, int nCount)
{
    if (!m_hDC || !m_hDC->pCairo || !psz || nCount <= 0)
        return FALSE;
    HFONT font = m_hDC->hFont ? m_hDC->hFont : GetDefaultFont();
    if (!font)
        return FALSE;
    cairo_t* cr = m_hDC->pCairo;
    if (m_hDC->nBkMode == OPAQUE) {
        CSize size = GetTextExtent(psz, nCount);
        FillSolidRect(CRect(x, y, x + size.cx, y + size.cy), m_hDC->crBk);
    }
    cairo_save(cr);
    ApplyFont(cr, font);
    SetCairoColour(cr, m_hDC->crText);
    cairo_move_to(cr, x, y + font->dAscent);
    std::string utf8 = ToUtf8(std::wstring(psz, static_cast<size_t>(nCount)));
    cairo_show_text(cr, utf8.c_str());
    cairo_restore(cr);
    return TRUE;
}
