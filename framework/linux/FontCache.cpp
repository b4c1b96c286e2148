#include "framework/linux/FontCache.h"

#include "base/linux/WholeIo.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr const char* kHeader = "zelqa-fonts 1";
// A handful of requests makes a file of a few hundred bytes.
constexpr size_t kMaxFileBytes = 64 * 1024;

bool IsAbsolute(const char* path)
{
    return path && path[0] == '/';
}

std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Size and modification time, "-" for a path that is not there.
std::string Stamp(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return "-";
    return std::to_string(static_cast<long long>(st.st_size)) + ":" +
           std::to_string(static_cast<long long>(st.st_mtim.tv_sec)) + "." +
           std::to_string(static_cast<long long>(st.st_mtim.tv_nsec));
}

// The stamp of a font file: only a regular file counts.
std::string FontStamp(const std::string& path)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return "";
    return Stamp(path);
}

bool Keepable(const std::string& text)
{
    return text.find_first_of("\t\n") == std::string::npos;
}

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return fields;
        start = end + 1;
    }
}

bool ParseFlag(const std::string& text, bool& flag)
{
    if (text != "0" && text != "1")
        return false;
    flag = text == "1";
    return true;
}

bool ParseIndex(const std::string& text, int& index)
{
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, index);
    return ec == std::errc() && ptr == end && !text.empty() && index >= 0;
}

// The whole of a regular file of modest size; never blocks on a FIFO or device.
bool ReadSmallFile(const std::string& path, std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= static_cast<off_t>(kMaxFileBytes);
    if (ok) {
        bytes.resize(static_cast<size_t>(st.st_size));
        ok = ReadAll(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    ::close(fd);
    return ok;
}

bool MakeFolders(const std::string& path)
{
    if (path.empty())
        return false;
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash)))
        return false;
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}
} // namespace

std::string CFontCache::DefaultPath(const char* xdgCacheHome, const char* home)
{
    if (IsAbsolute(xdgCacheHome))
        return WithoutTrailingSlash(xdgCacheHome) + "/zelqa/fonts";
    if (IsAbsolute(home))
        return WithoutTrailingSlash(home) + "/.cache/zelqa/fonts";
    return "";
}

std::vector<std::string> CFontCache::DefaultWitnesses(const char* xdgConfigHome, const char* xdgCacheHome,
                                                      const char* xdgDataHome, const char* home)
{
    std::vector<std::string> witnesses = {"/etc/fonts/fonts.conf", "/etc/fonts/conf.d", "/etc/fonts/local.conf",
                                          // Font packages rebuild fontconfig's caches, which changes this folder.
                                          "/var/cache/fontconfig", "/usr/share/fonts", "/usr/local/share/fonts"};
    const std::string homeDir = IsAbsolute(home) ? WithoutTrailingSlash(home) : "";
    auto underXdg = [&](const char* xdg, const char* fallback) -> std::string {
        if (IsAbsolute(xdg))
            return WithoutTrailingSlash(xdg);
        return homeDir.empty() ? "" : homeDir + fallback;
    };
    if (const std::string config = underXdg(xdgConfigHome, "/.config"); !config.empty()) {
        witnesses.push_back(config + "/fontconfig");
        witnesses.push_back(config + "/fontconfig/fonts.conf");
        witnesses.push_back(config + "/fontconfig/conf.d");
    }
    if (const std::string cache = underXdg(xdgCacheHome, "/.cache"); !cache.empty())
        witnesses.push_back(cache + "/fontconfig");
    if (const std::string data = underXdg(xdgDataHome, "/.local/share"); !data.empty())
        witnesses.push_back(data + "/fonts");
    if (!homeDir.empty()) {
        witnesses.push_back(homeDir + "/.fonts");
        witnesses.push_back(homeDir + "/.fonts.conf");
        witnesses.push_back(homeDir + "/.fonts.conf.d");
    }
    return witnesses;
}

CFontCache::CFontCache(std::string path, std::vector<std::string> witnesses)
    : m_strPath(std::move(path)), m_witnesses(std::move(witnesses))
{
}

void CFontCache::Load()
{
    m_entries.clear();
    std::string bytes;
    if (m_strPath.empty() || !ReadSmallFile(m_strPath, bytes) || bytes.empty() || bytes.back() != '\n')
        return;
    bytes.pop_back();
    const std::vector<std::string> lines = Split(bytes, '\n');
    if (lines.front() != kHeader)
        return;
    std::map<Request, Entry> entries;
    size_t nWitness = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> fields = Split(lines[i], '\t');
        if (fields[0] == "w" && fields.size() == 3) {
            // The same witnesses in the same order, each unchanged.
            if (nWitness >= m_witnesses.size() || fields[1] != m_witnesses[nWitness] || fields[2] != Stamp(fields[1]))
                return;
            ++nWitness;
        } else if (fields[0] == "f" && fields.size() == 7) {
            Request request{fields[1], false, false};
            Entry entry{{fields[4], 0}, fields[6]};
            if (!ParseFlag(fields[2], request.bBold) || !ParseFlag(fields[3], request.bItalic) ||
                !IsAbsolute(entry.face.strPath.c_str()) || !ParseIndex(fields[5], entry.face.nIndex) ||
                entry.strStamp.empty() || entry.strStamp == "-")
                return;
            if (FontStamp(entry.face.strPath) == entry.strStamp)
                entries[request] = entry;
        } else {
            return;
        }
    }
    if (nWitness != m_witnesses.size())
        return;
    m_entries = std::move(entries);
}

bool CFontCache::Find(const Request& request, FaceFile& face) const
{
    auto it = m_entries.find(request);
    if (it == m_entries.end())
        return false;
    face = it->second.face;
    return true;
}

bool CFontCache::Remember(const Request& request, const FaceFile& face)
{
    if (m_strPath.empty() || !Keepable(request.strFamily) || !Keepable(face.strPath) ||
        !IsAbsolute(face.strPath.c_str()) || face.nIndex < 0)
        return false;
    const std::string stamp = FontStamp(face.strPath);
    if (stamp.empty())
        return false;
    m_entries[request] = Entry{face, stamp};

    std::string bytes = std::string(kHeader) + "\n";
    for (const std::string& witness : m_witnesses)
        bytes += "w\t" + witness + "\t" + Stamp(witness) + "\n";
    for (const auto& [key, entry] : m_entries) {
        bytes += "f\t" + key.strFamily + "\t" + (key.bBold ? "1" : "0") + "\t" + (key.bItalic ? "1" : "0") + "\t" +
                 entry.face.strPath + "\t" + std::to_string(entry.face.nIndex) + "\t" + entry.strStamp + "\n";
    }

    const size_t slash = m_strPath.rfind('/');
    if (slash == std::string::npos || !MakeFolders(m_strPath.substr(0, slash)))
        return false;
    std::string temp = m_strPath + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = WriteAll(fd, bytes);
    if (::close(fd) != 0 || !written || ::rename(temp.c_str(), m_strPath.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
