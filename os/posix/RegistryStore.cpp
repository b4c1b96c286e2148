#include "os/posix/RegistryStore.h"

#include "base/linux/WholeIo.h"
#include "os/posix/BoundedRead.h"
#include "os/posix/FileDescriptor.h"
#include "os/posix/Folders.h"
#include "os/posix/RegistryFormat.h"
#include "os/posix/WideText.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{

using DirHandle = std::unique_ptr<DIR, int (*)(DIR*)>;

// Inside the hive links are not followed, so a planted one can't lead a
// lookup or a removal out of it; only the hive root may be a link.
bool IsRealFolder(const std::string& path)
{
    struct stat st = {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st = {};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The type name and its line feed come before the data; the longest name
// ("REG_RESOURCE_REQUIREMENTS_LIST") takes 31 bytes.
constexpr size_t MAX_VALUE_HEADER_BYTES = 64;

// A value file is read only when it is still a regular file of bounded size
// once open: the full installer, or anyone who can write the key's folder,
// may put a FIFO or a device there between the lookup and the read.
bool ReadValueFile(const std::string& path, std::string& bytes)
{
    return ReadBoundedRegularFile(path, CRegistryStore::MAX_VALUE_DATA_BYTES + MAX_VALUE_HEADER_BYTES, false, bytes);
}

bool RemoveTree(const std::string& path)
{
    if (!IsRealFolder(path))
        return unlink(path.c_str()) == 0 || errno == ENOENT;
    {
        DirHandle dir(opendir(path.c_str()), closedir);
        if (!dir)
            return false;
        while (const dirent* entry = readdir(dir.get())) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && !RemoveTree(path + "/" + name))
                return false;
        }
    }
    return rmdir(path.c_str()) == 0 || errno == ENOENT;
}

bool LessNoCase(const std::wstring& a, const std::wstring& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const wchar_t fa = FoldCase(a[i]);
        const wchar_t fb = FoldCase(b[i]);
        if (fa != fb)
            return fa < fb;
    }
    return a.size() < b.size();
}

} // namespace

CRegistryStore::CRegistryStore(std::string hiveRoot) : m_strHiveRoot(std::move(hiveRoot))
{
}

std::string CRegistryStore::FindEntry(const std::string& folder, const std::wstring& name, bool isValue,
                                      std::wstring* storedName)
{
    const std::string exact = isValue ? CRegistryFormat::ValueFileName(name) : CRegistryFormat::KeyFileName(name);
    const auto fits = [isValue](const std::string& path) { return isValue ? IsRegularFile(path) : IsRealFolder(path); };
    if (fits(folder + "/" + exact)) {
        if (storedName != nullptr)
            *storedName = name;
        return exact;
    }

    // Another letter case.
    const std::string found = FindEntryNoCase(
        folder, name,
        [isValue](const std::string& fileName, std::wstring& entryName) {
            bool entryIsValue = false;
            return CRegistryFormat::ParseFileName(fileName, entryIsValue, entryName) && entryIsValue == isValue;
        },
        [&folder, &fits](const std::string& fileName) { return fits(folder + "/" + fileName); });
    bool foundIsValue = false;
    if (storedName != nullptr && !found.empty())
        CRegistryFormat::ParseFileName(found, foundIsValue, *storedName);
    return found;
}

std::string CRegistryStore::FindValueFile(const std::string& folder, const std::wstring& name)
{
    return FindEntry(folder, name, true, nullptr);
}

bool CRegistryStore::FindKey(const std::wstring& key, std::string& folder, std::vector<std::wstring>* storedNames) const
{
    std::vector<std::wstring> names;
    if (!CRegistryFormat::SplitKeyPath(key, names) || !FolderExists(m_strHiveRoot))
        return false;
    std::string path = m_strHiveRoot;
    for (const std::wstring& name : names) {
        std::wstring stored;
        const std::string entry = FindEntry(path, name, false, &stored);
        if (entry.empty())
            return false;
        path += "/" + entry;
        if (storedNames != nullptr)
            storedNames->push_back(stored);
    }
    folder = path;
    return true;
}

bool CRegistryStore::EnsureKey(const std::wstring& key) const
{
    std::vector<std::wstring> names;
    if (!CRegistryFormat::SplitKeyPath(key, names) || !MakeFolders(m_strHiveRoot))
        return false;
    std::string path = m_strHiveRoot;
    for (const std::wstring& name : names) {
        std::string entry = FindEntry(path, name, false, nullptr);
        if (entry.empty()) {
            entry = CRegistryFormat::KeyFileName(name);
            // Another process may create it at the same moment; either way it now exists.
            if (mkdir((path + "/" + entry).c_str(), 0755) != 0 && errno != EEXIST)
                return false;
            if (!IsRealFolder(path + "/" + entry))
                return false;
        }
        path += "/" + entry;
    }
    return true;
}

bool CRegistryStore::KeyExists(const std::wstring& key) const
{
    std::string folder;
    return FindKey(key, folder, nullptr);
}

bool CRegistryStore::WriteValue(const std::wstring& key, const std::wstring& name, uint32_t type,
                                const std::vector<uint8_t>& data) const
{
    // What could not be read back is not stored.
    std::string folder;
    if (data.size() > MAX_VALUE_DATA_BYTES || !FindKey(key, folder, nullptr))
        return false;
    std::string target = FindValueFile(folder, name);
    if (target.empty())
        target = CRegistryFormat::ValueFileName(name);

    std::string temp = folder + "/.tmp-XXXXXX";
    CFileDescriptor fd(mkostemp(temp.data(), O_CLOEXEC));
    if (fd.Get() < 0)
        return false;
    // Readable by all like the machine hive; umask can't be read without changing it for every thread.
    const bool written = fchmod(fd.Get(), 0644) == 0 && WriteAll(fd.Get(), CRegistryFormat::EncodeValue(type, data)) &&
                         fsync(fd.Get()) == 0;
    if (!fd.Close() || !written || rename(temp.c_str(), (folder + "/" + target).c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool CRegistryStore::ReadValue(const std::wstring& key, const std::wstring& name, uint32_t& type,
                               std::vector<uint8_t>& data) const
{
    std::string folder;
    if (!FindKey(key, folder, nullptr))
        return false;
    const std::string file = FindValueFile(folder, name);
    std::string bytes;
    uint32_t storedType = 0;
    std::vector<uint8_t> stored;
    if (file.empty() || !ReadValueFile(folder + "/" + file, bytes) ||
        !CRegistryFormat::DecodeValue(bytes, storedType, stored) || stored.size() > MAX_VALUE_DATA_BYTES)
        return false;
    type = storedType;
    data = std::move(stored);
    return true;
}

bool CRegistryStore::RemoveValue(const std::wstring& key, const std::wstring& name) const
{
    std::string folder;
    if (!FindKey(key, folder, nullptr))
        return false;
    const std::string file = FindValueFile(folder, name);
    return !file.empty() && unlink((folder + "/" + file).c_str()) == 0;
}

bool CRegistryStore::RemoveKey(const std::wstring& key) const
{
    std::string folder;
    if (!FindKey(key, folder, nullptr) || folder == m_strHiveRoot)
        return false;
    return RemoveTree(folder);
}

bool CRegistryStore::List(const std::wstring& key, bool values, std::vector<std::wstring>& names) const
{
    std::string folder;
    if (!FindKey(key, folder, nullptr))
        return false;
    names.clear();
    DirHandle dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return false;
    while (const dirent* entry = readdir(dir.get())) {
        bool isValue = false;
        std::wstring name;
        if (!CRegistryFormat::ParseFileName(entry->d_name, isValue, name) || isValue != values)
            continue;
        const std::string path = folder + "/" + entry->d_name;
        if (values ? IsRegularFile(path) : IsRealFolder(path))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessNoCase);
    return true;
}

bool CRegistryStore::ListValues(const std::wstring& key, std::vector<std::wstring>& names) const
{
    return List(key, true, names);
}

bool CRegistryStore::ListSubkeys(const std::wstring& key, std::vector<std::wstring>& names) const
{
    return List(key, false, names);
}

bool CRegistryStore::StoredKeyPath(const std::wstring& key, std::wstring& storedPath) const
{
    std::string folder;
    std::vector<std::wstring> names;
    if (!FindKey(key, folder, &names))
        return false;
    storedPath.clear();
    for (const std::wstring& name : names)
        storedPath += (storedPath.empty() ? L"" : L"\\") + name;
    return true;
}
