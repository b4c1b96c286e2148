#pragma once

#include <compare>
#include <map>
#include <string>
#include <vector>

// Which font file each font request came to, kept between runs: a later start
// opens those files itself, and fontconfig, whose start-up costs more than
// the rest of the first frame's text, starts only for a request not seen
// before. An entry holds only while its font file keeps its size and
// modification time and every witness (the font configuration and the font
// folders) is as it was when the entry was made; a file that does not read
// as ours is ignored whole. Nothing in it is taken for more than a font file
// to open.
class CFontCache
{
public:
    struct Request
    {
        std::string strFamily;
        bool bBold = false;
        bool bItalic = false;
        auto operator<=>(const Request&) const = default;
    };

    struct FaceFile
    {
        std::string strPath;
        int nIndex = 0;
    };

    // $XDG_CACHE_HOME/zelqa/fonts, else ~/.cache/zelqa/fonts; empty when
    // neither names an absolute folder.
    static std::string DefaultPath(const char* xdgCacheHome, const char* home);

    // The files and folders whose change may change what fontconfig answers,
    // found from the same variables fontconfig reads.
    static std::vector<std::string> DefaultWitnesses(const char* xdgConfigHome, const char* xdgCacheHome,
                                                     const char* xdgDataHome, const char* home);

    CFontCache(std::string path, std::vector<std::string> witnesses);

    // Reads the file. Entries whose font file changed are left out; all are
    // when the file is missing, corrupt, someone else's, or a witness changed.
    void Load();

    bool Find(const Request& request, FaceFile& face) const;
    bool IsEmpty() const { return m_entries.empty(); }

    // Adds the entry and writes the file whole (a temporary file renamed over
    // it, so a reader never sees half of it). False when it could not be
    // written, or the entry cannot be kept (a name with a tab or line end).
    bool Remember(const Request& request, const FaceFile& face);

private:
    struct Entry
    {
        FaceFile face;
        std::string strStamp; // the font file's size and modification time
    };

    std::string m_strPath;
    std::vector<std::string> m_witnesses;
    std::map<Request, Entry> m_entries;
};
