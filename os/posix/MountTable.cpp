#include "os/posix/MountTable.h"

#include <sstream>

namespace
{

std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (in >> field)
        fields.push_back(field);
    return fields;
}

bool ParseDevice(const std::string& text, uint32_t& major, uint32_t& minor)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size())
        return false;
    try {
        size_t used = 0;
        major = static_cast<uint32_t>(std::stoul(text.substr(0, colon), &used));
        if (used != colon)
            return false;
        minor = static_cast<uint32_t>(std::stoul(text.substr(colon + 1), &used));
        return used == text.size() - colon - 1;
    } catch (...) {
        return false;
    }
}

} // namespace

std::string CMountTable::Unescape(const std::string& field)
{
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out.push_back(
                static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else
            out.push_back(field[i]);
    }
    return out;
}

void CMountTable::Parse(const std::string& text)
{
    m_vecEntries.clear();
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        // id parent major:minor root mount-point options [optional...] - fstype source super-options
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.size() < 7)
            continue;
        size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (dash + 1 >= fields.size())
            continue;
        MountEntry entry;
        if (!ParseDevice(fields[2], entry.m_nMajor, entry.m_nMinor))
            continue;
        entry.m_strMountPoint = Unescape(fields[4]);
        entry.m_strFsType = Unescape(fields[dash + 1]);
        entry.m_strSource = dash + 2 < fields.size() ? Unescape(fields[dash + 2]) : std::string();
        if (entry.m_strMountPoint.empty() || entry.m_strMountPoint[0] != '/')
            continue;
        m_vecEntries.push_back(entry);
    }
}

const MountEntry* CMountTable::FindFor(const std::string& path) const
{
    const MountEntry* best = nullptr;
    for (const MountEntry& entry : m_vecEntries) {
        const std::string& point = entry.m_strMountPoint;
        const bool holds =
            point == "/" || path == point ||
            (path.size() > point.size() && path.compare(0, point.size(), point) == 0 && path[point.size()] == '/');
        if (holds && (best == nullptr || point.size() >= best->m_strMountPoint.size()))
            best = &entry;
    }
    return best;
}
