#include "os/win32/DirectPath.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>
#include <vector>

#include "os/win32/FullPath.h"

namespace
{

// The folders of a path held open from the drive's root down.
class CHeldFolders
{
public:
    CHeldFolders() = default;
    ~CHeldFolders()
    {
        for (HANDLE hFolder : m_folders)
            CloseHandle(hFolder);
    }
    CHeldFolders(const CHeldFolders&) = delete;
    CHeldFolders& operator=(const CHeldFolders&) = delete;

    // Opens each folder between the drive's root and the last name of
    // strPath; the full path, and so the file's own name, goes to `full`.
    bool Open(const std::wstring& strPath, std::wstring& full)
    {
        if (!FullPathOf(strPath, full))
            return false;
        // Drive paths only: "X:\" and at least one name after it.
        if (full.size() < 4 || full[1] != L':' || full[2] != L'\\' || full.back() == L'\\')
            return false;
        for (size_t nSlash = full.find(L'\\', 3); nSlash != std::wstring::npos; nSlash = full.find(L'\\', nSlash + 1)) {
            // Listing is a right the sharing rules count, so the missing
            // delete sharing keeps the folder from being renamed while held.
            const HANDLE hFolder =
                CreateFileW(full.substr(0, nSlash).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
            if (hFolder == INVALID_HANDLE_VALUE)
                return false;
            m_folders.push_back(hFolder);
            BY_HANDLE_FILE_INFORMATION info{};
            if (!GetFileInformationByHandle(hFolder, &info) ||
                (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
                (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
                return false;
        }
        return true;
    }

private:
    std::vector<HANDLE> m_folders;
};

// Where a file is, on its volume; the same for every path that reaches it.
struct FileIdentity
{
    ULONGLONG nVolume = 0;
    FILE_ID_128 id{};

    bool operator==(const FileIdentity& other) const
    {
        return nVolume == other.nVolume &&
               std::equal(std::begin(id.Identifier), std::end(id.Identifier), std::begin(other.id.Identifier));
    }
};

// The file's attributes and identity. Asked for one by one: the all-in-one
// query also asks for the volume's label and serial number, which some
// systems fetch from a service process each time, and a polled file is asked
// many times a second.
bool DescribeFile(HANDLE hFile, DWORD& dwAttributes, FileIdentity& identity)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(hFile, FileBasicInfo, &basic, sizeof(basic)))
        return false;
    dwAttributes = basic.FileAttributes;
    FILE_ID_INFO idInfo{};
    if (GetFileInformationByHandleEx(hFile, FileIdInfo, &idInfo, sizeof(idInfo))) {
        identity = {idInfo.VolumeSerialNumber, idInfo.FileId};
        return true;
    }
    // Before Windows 8 only the all-in-one query tells.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(hFile, &info))
        return false;
    identity = {};
    identity.nVolume = info.dwVolumeSerialNumber;
    const ULONGLONG nIndex = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    std::memcpy(identity.id.Identifier, &nIndex, sizeof(nIndex));
    return true;
}

// Opens the last name of a path as itself, and tells which file it is; null
// when it is a folder or a link would have to be read to tell.
HANDLE OpenPlainFile(const std::wstring& full, DWORD dwAccess, FileIdentity& identity)
{
    const HANDLE hFile = CreateFileW(full.c_str(), dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return nullptr;
    DWORD dwAttributes = 0;
    if (!DescribeFile(hFile, dwAttributes, identity) ||
        (dwAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        CloseHandle(hFile);
        return nullptr;
    }
    return hFile;
}

// The last file read and the file the walk found at its path. A file polled
// while a download runs is read many times a second, and opening every folder
// on the way each time costs more than the reading. Opened by its path once
// more, the very file the walk found is what is read, whatever way the path
// takes now; any other file there needs the walk again.
class CLastWalked
{
public:
    bool IsKnown(const std::wstring& full, const FileIdentity& identity)
    {
        std::lock_guard lock(m_mutex);
        return m_bKnown && m_identity == identity && m_path == full;
    }
    void Remember(const std::wstring& full, const FileIdentity& identity)
    {
        std::lock_guard lock(m_mutex);
        m_path = full;
        m_identity = identity;
        m_bKnown = true;
    }

private:
    std::mutex m_mutex;
    std::wstring m_path;
    FileIdentity m_identity;
    bool m_bKnown = false;
};

CLastWalked g_lastWalked;

// Opens the file at full as the one the walk found there last time; null
// when it is another file (or none).
HANDLE OpenKnownFile(const std::wstring& full, DWORD dwAccess)
{
    FileIdentity identity;
    const HANDLE hFile = OpenPlainFile(full, dwAccess, identity);
    if (!hFile)
        return nullptr;
    if (g_lastWalked.IsKnown(full, identity))
        return hFile;
    CloseHandle(hFile);
    return nullptr;
}

// Opens the file at full with each folder on the way held and checked, and
// remembers which file it is.
HANDLE OpenWalked(const std::wstring& strPath, DWORD dwAccess)
{
    CHeldFolders folders;
    std::wstring full;
    if (!folders.Open(strPath, full))
        return nullptr;
    FileIdentity identity;
    const HANDLE hFile = OpenPlainFile(full, dwAccess, identity);
    if (hFile)
        g_lastWalked.Remember(full, identity);
    return hFile;
}

} // namespace

bool CDirectPath::ReadRegularFile(const std::wstring& strPath, size_t nMaxBytes, std::string& bytes)
{
    bytes.clear();
    std::wstring full;
    if (!FullPathOf(strPath, full))
        return false;
    HANDLE hFile = OpenKnownFile(full, GENERIC_READ);
    if (!hFile)
        hFile = OpenWalked(strPath, GENERIC_READ);
    if (!hFile)
        return false;
    bool bOk = GetFileType(hFile) == FILE_TYPE_DISK;
    LARGE_INTEGER size{};
    bOk = bOk && GetFileSizeEx(hFile, &size) && size.QuadPart >= 0 && static_cast<uint64_t>(size.QuadPart) <= nMaxBytes;
    if (bOk) {
        // Room for one byte more than the size, so that a file grown since
        // its size was read is seen to have grown: read on then, up to one
        // byte more than allowed, so that it is refused once too large.
        std::string buffer(static_cast<size_t>(size.QuadPart) + 1, '\0');
        size_t nTotal = 0;
        for (;;) {
            if (nTotal == buffer.size())
                buffer.resize(std::min(buffer.size() * 2, nMaxBytes + 1));
            DWORD nRead = 0;
            const DWORD nWant = static_cast<DWORD>(std::min<size_t>(buffer.size() - nTotal, 1 << 20));
            if (!::ReadFile(hFile, buffer.data() + nTotal, nWant, &nRead, nullptr)) {
                bOk = false;
                break;
            }
            if (nRead == 0)
                break;
            nTotal += nRead;
            if (nTotal > nMaxBytes) {
                bOk = false;
                break;
            }
        }
        if (bOk) {
            buffer.resize(nTotal);
            bytes = std::move(buffer);
        }
    }
    CloseHandle(hFile);
    return bOk;
}

bool CDirectPath::RemoveFile(const std::wstring& strPath)
{
    CHeldFolders folders;
    std::wstring full;
    if (!folders.Open(strPath, full))
        return false;
    // A link is removed as itself: opened as itself, it is what the handle deletes.
    const HANDLE hFile = CreateFileW(full.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    const bool bOk = GetFileInformationByHandle(hFile, &info) &&
                     (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                     SetFileInformationByHandle(hFile, FileDispositionInfo, &disposition, sizeof(disposition));
    CloseHandle(hFile);
    return bOk;
}
