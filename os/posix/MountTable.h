#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One line of /proc/self/mountinfo.
struct MountEntry
{
    uint32_t m_nMajor = 0;
    uint32_t m_nMinor = 0;
    std::string m_strMountPoint;
    std::string m_strFsType;
    std::string m_strSource;
};

// The mount table as /proc/self/mountinfo gives it, and which mount holds a path.
class CMountTable
{
public:
    // Reads the text of a mountinfo file; malformed lines are skipped.
    void Parse(const std::string& text);

    // The mount whose mount point holds `path` (absolute, without symbolic
    // links) most closely; of mounts stacked on one point the last one, which
    // covers the others. Null when no mount holds it.
    const MountEntry* FindFor(const std::string& path) const;

    const std::vector<MountEntry>& Entries() const { return m_vecEntries; }

    // Undoes the octal escapes (\040 for a blank) of a mountinfo field.
    static std::string Unescape(const std::string& field);

private:
    std::vector<MountEntry> m_vecEntries;
};
