#include "os/posix/WideText.h"
#include "base/Utf8.h"

#include <clocale>
#include <cstdint>
#include <cwctype>
#include <dirent.h>
#include <locale.h>
#include <memory>

namespace
{

// The process locale may be "C", whose case tables cover ASCII only; the
// registry folds every letter, so use a UTF-8 locale of our own when there is one.
locale_t CaseLocale()
{
    static const locale_t s_locale = [] {
        locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return loc;
    }();
    return s_locale;
}

} // namespace

wchar_t FoldCase(wchar_t ch)
{
    if (ch < 0x80)
        return (ch >= L'a' && ch <= L'z') ? static_cast<wchar_t>(ch - L'a' + L'A') : ch;
    if (const locale_t loc = CaseLocale())
        return static_cast<wchar_t>(towupper_l(static_cast<wint_t>(ch), loc));
    return ch;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
}

std::string FindEntryNoCase(const std::string& folder, const std::wstring& name, const EntryNameReader& readName,
                            const std::function<bool(const std::string& fileName)>& accept)
{
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return std::string();
    std::string found;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string fileName = entry->d_name;
        if (fileName == "." || fileName == ".." || (!found.empty() && fileName >= found))
            continue;
        std::wstring entryName;
        if (readName) {
            if (!readName(fileName, entryName))
                continue;
        } else
            entryName = FromUtf8(fileName);
        if (EqualsNoCase(entryName, name) && (!accept || accept(fileName)))
            found = fileName;
    }
    return found;
}
