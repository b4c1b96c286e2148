#pragma once

#include <array>
#include <string>
#include <vector>

// Drive letters and the host folders they stand for, and the translation of
// drive paths (L"D:\\Apps\\Zelqa") to host paths and back. Translation is pure
// string work; only Load looks at the file system.
class CDriveMap
{
public:
    // The drives of a prefix: every "<letter>:" entry of its dosdevices folder
    // (a link, or a folder), resolved to an absolute path. A link whose target
    // is missing still maps its letter, to a root that does not exist.
    static CDriveMap Load(const std::string& prefix);

    // Only the drive of `letter` (cheaper when one path is translated).
    static CDriveMap LoadDrive(const std::string& prefix, wchar_t letter);

    // Maps a letter (either case) to an absolute host folder; an empty root unmaps it.
    void SetDrive(wchar_t letter, const std::string& hostRoot);
    bool HasDrive(wchar_t letter) const;
    std::string RootOf(wchar_t letter) const;

    // The upper-case drive letter a path starts with ("d:..."), or 0.
    static wchar_t DriveLetterOf(const std::wstring& path);

    // Splits a drive path into its letter and its folder names below the root.
    // Both separators are accepted; "." and empty names are dropped, ".." goes
    // up but never above the root, and trailing dots and blanks of a name are
    // dropped as the platform drops them. A "\\?\" prefix is allowed. False for
    // anything without a drive letter (UNC or relative paths).
    static bool SplitDrivePath(const std::wstring& path, wchar_t& letter, std::vector<std::wstring>& names);

    // Drive path to host path; false when the path has no mapped drive.
    bool ToHost(const std::wstring& drivePath, std::string& hostPath) const;

    // Absolute host path to drive path, through the drive whose root holds it
    // most closely (the lowest letter among equals); false outside every drive.
    // The host path is taken as written; see CanonicalHostPath.
    bool FromHost(const std::string& hostPath, std::wstring& drivePath) const;

    // Joins a drive letter and folder names into L"D:\\a\\b" (L"D:\\" for the root).
    static std::wstring JoinDrivePath(wchar_t letter, const std::vector<std::wstring>& names);

    // Removes ".", ".." and doubled slashes from an absolute host path, lexically.
    static std::string NormaliseHostPath(const std::string& path);

private:
    static int IndexOf(wchar_t letter);

    std::array<std::string, 26> m_arrRoots;
};
