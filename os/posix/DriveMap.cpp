#include "os/posix/DriveMap.h"
#include "base/Utf8.h"

#include "os/posix/WideText.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool IsSeparator(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

// Where a dosdevices entry leads: the resolved folder, or for a dangling link
// its target written out in full.
std::string ResolveDeviceEntry(const std::string& devices, const std::string& entry)
{
    const std::string full = devices + "/" + entry;
    char resolved[PATH_MAX];
    if (realpath(full.c_str(), resolved) != nullptr)
        return resolved;

    std::vector<char> target(PATH_MAX + 1);
    const ssize_t n = readlink(full.c_str(), target.data(), PATH_MAX);
    if (n <= 0)
        return std::string();
    std::string link(target.data(), static_cast<size_t>(n));
    if (link[0] != '/')
        link = devices + "/" + link;
    return CDriveMap::NormaliseHostPath(link);
}

std::string DeviceEntryFor(const std::string& devices, wchar_t letter)
{
    const char lower = static_cast<char>('a' + (FoldCase(letter) - L'A'));
    const char upper = static_cast<char>('A' + (FoldCase(letter) - L'A'));
    struct stat st = {};
    const std::string lowerName = std::string(1, lower) + ":";
    if (lstat((devices + "/" + lowerName).c_str(), &st) == 0)
        return lowerName;
    const std::string upperName = std::string(1, upper) + ":";
    if (lstat((devices + "/" + upperName).c_str(), &st) == 0)
        return upperName;
    return std::string();
}

} // namespace

int CDriveMap::IndexOf(wchar_t letter)
{
    const wchar_t upper = FoldCase(letter);
    if (upper < L'A' || upper > L'Z')
        return -1;
    return static_cast<int>(upper - L'A');
}

CDriveMap CDriveMap::Load(const std::string& prefix)
{
    CDriveMap map;
    const std::string devices = prefix + "/dosdevices";
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(devices.c_str()), closedir);
    if (!dir)
        return map;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name.size() == 2 && name[1] == ':' && IndexOf(static_cast<wchar_t>(name[0])) >= 0)
            names.push_back(name);
    }
    // A lower-case entry wins over an upper-case one for the same letter.
    for (const std::string& name : names) {
        const wchar_t letter = static_cast<wchar_t>(name[0]);
        if (map.HasDrive(letter) && name[0] >= 'A' && name[0] <= 'Z')
            continue;
        const std::string root = ResolveDeviceEntry(devices, name);
        if (!root.empty())
            map.SetDrive(letter, root);
    }
    return map;
}

CDriveMap CDriveMap::LoadDrive(const std::string& prefix, wchar_t letter)
{
    CDriveMap map;
    if (IndexOf(letter) < 0)
        return map;
    const std::string devices = prefix + "/dosdevices";
    const std::string entry = DeviceEntryFor(devices, letter);
    if (!entry.empty())
        map.SetDrive(letter, ResolveDeviceEntry(devices, entry));
    return map;
}

void CDriveMap::SetDrive(wchar_t letter, const std::string& hostRoot)
{
    const int index = IndexOf(letter);
    if (index < 0)
        return;
    m_arrRoots[static_cast<size_t>(index)] = hostRoot.empty() ? std::string() : NormaliseHostPath(hostRoot);
}

bool CDriveMap::HasDrive(wchar_t letter) const
{
    const int index = IndexOf(letter);
    return index >= 0 && !m_arrRoots[static_cast<size_t>(index)].empty();
}

std::string CDriveMap::RootOf(wchar_t letter) const
{
    const int index = IndexOf(letter);
    return index < 0 ? std::string() : m_arrRoots[static_cast<size_t>(index)];
}

wchar_t CDriveMap::DriveLetterOf(const std::wstring& path)
{
    if (path.size() < 2 || path[1] != L':' || IndexOf(path[0]) < 0)
        return 0;
    return FoldCase(path[0]);
}

bool CDriveMap::SplitDrivePath(const std::wstring& path, wchar_t& letter, std::vector<std::wstring>& names)
{
    std::wstring rest = path;
    if (rest.size() >= 4 && IsSeparator(rest[0]) && IsSeparator(rest[1]) && rest[2] == L'?' && IsSeparator(rest[3]))
        rest.erase(0, 4);
    letter = DriveLetterOf(rest);
    if (letter == 0)
        return false;

    names.clear();
    std::wstring name;
    auto flush = [&] {
        // The platform ignores trailing dots and blanks of a name ("Zelqa. " is "Zelqa").
        if (name != L"." && name != L"..")
            while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
                name.pop_back();
        if (name == L"..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != L".")
            names.push_back(name);
        name.clear();
    };
    for (size_t i = 2; i < rest.size(); ++i) {
        if (IsSeparator(rest[i]))
            flush();
        else
            name.push_back(rest[i]);
    }
    flush();
    return true;
}

bool CDriveMap::ToHost(const std::wstring& drivePath, std::string& hostPath) const
{
    wchar_t letter = 0;
    std::vector<std::wstring> names;
    if (!SplitDrivePath(drivePath, letter, names) || !HasDrive(letter))
        return false;
    std::string host = RootOf(letter);
    for (const std::wstring& name : names) {
        if (host.back() != '/')
            host.push_back('/');
        host += ToUtf8(name);
    }
    hostPath = host;
    return true;
}

bool CDriveMap::FromHost(const std::string& hostPath, std::wstring& drivePath) const
{
    if (hostPath.empty() || hostPath[0] != '/')
        return false;
    const std::string path = NormaliseHostPath(hostPath);

    int best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < m_arrRoots.size(); ++i) {
        const std::string& root = m_arrRoots[i];
        if (root.empty())
            continue;
        const bool inside =
            root == "/" || path == root ||
            (path.size() > root.size() && path.compare(0, root.size(), root) == 0 && path[root.size()] == '/');
        if (inside && (best < 0 || root.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = root.size();
        }
    }
    if (best < 0)
        return false;

    const std::string& root = m_arrRoots[static_cast<size_t>(best)];
    std::vector<std::wstring> names;
    size_t pos = root == "/" ? 1 : root.size() + 1;
    while (pos < path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        names.push_back(FromUtf8(path.substr(pos, end - pos)));
        pos = end + 1;
    }
    drivePath = JoinDrivePath(static_cast<wchar_t>(L'A' + best), names);
    return true;
}

std::wstring CDriveMap::JoinDrivePath(wchar_t letter, const std::vector<std::wstring>& names)
{
    std::wstring path{FoldCase(letter), L':'};
    if (names.empty())
        return path + L"\\";
    for (const std::wstring& name : names)
        path += L"\\" + name;
    return path;
}

std::string CDriveMap::NormaliseHostPath(const std::string& path)
{
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".")
            parts.push_back(part);
        pos = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}
