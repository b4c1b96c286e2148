#include "os/posix/RegistryStore.h"

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

class CFileDescriptor
{
public:
    explicit CFileDescriptor(int fd) : m_nFd(fd) {}
    ~CFileDescriptor()
    {
        if (m_nFd >= 0)
            close(m_nFd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    int Get() const { return m_nFd; }
    int Release()
    {
        const int fd = m_nFd;
        m_nFd = -1;
        return fd;
    }

private:
    int m_nFd;
};

bool IsFolder(const std::string& path)
{
    struct stat st{};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat st{};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool MakeFolders(const std::string& path)
{
    if (IsFolder(path))
        return true;
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash)))
        return false;
    return (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) && IsFolder(path);
}

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size())
    {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(const std::string& path, std::string& bytes)
{
    CFileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (fd.Get() < 0)
        return false;
    bytes.clear();
    char buffer[4096];
    for (;;)
    {
        const ssize_t n = read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool RemoveTree(const std::string& path)
{
    if (!IsFolder(path))
        return unlink(path.c_str()) == 0 || errno == ENOENT;
    {
        DirHandle dir(opendir(path.c_str()), closedir);
        if (!dir)
            return false;
        while (const dirent* entry = readdir(dir.get()))
        {
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
    for (size_t i = 0; i < n; ++i)
    {
        const wchar_t fa = FoldCase(a[i]);
        const wchar_t fb = FoldCase(b[i]);
        if (fa != fb)
            return fa < fb;
    }
    return a.size() < b.size();
}

}

CRegistryStore::CRegistryStore(std::string hiveRoot) : m_strHiveRoot(std::move(hiveRoot))
{
}

std::string CRegistryStore::FindEntry(const std::string& folder, const std::wstring& name, bool isValue,
                                      std::wstring* storedName)
{
    const std::string exact = isValue ? CRegistryFormat::ValueFileName(name) : CRegistryFormat::KeyFileName(name);
    const auto fits = [isValue](const std::string& path) { return isValue ? IsRegularFile(path) : IsFolder(path); };
    if (fits(folder + "/" + exact))
    {
        if (storedName != nullptr)
            *storedName = name;
        return exact;
    }

    // Another letter case: the first match in name order, so every reader picks the same one.
    DirHandle dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return std::string();
    std::string found;
    std::wstring foundName;
    while (const dirent* entry = readdir(dir.get()))
    {
        bool entryIsValue = false;
        std::wstring entryName;
        if (!CRegistryFormat::ParseFileName(entry->d_name, entryIsValue, entryName) || entryIsValue != isValue ||
            !EqualsNoCase(entryName, name))
            continue;
        if ((found.empty() || entry->d_name < found) && fits(folder + "/" + entry->d_name))
        {
            found = entry->d_name;
            foundName = entryName;
        }
    }
    if (storedName != nullptr && !found.empty())
        *storedName = foundName;
    return found;
}

std::string CRegistryStore::FindValueFile(const std::string& folder, const std::wstring& name)
{
    return FindEntry(folder, name, true, nullptr);
}

bool CRegistryStore::FindKey(const std::wstring& key, std::string& folder,
                             std::vector<std::wstring>* storedNames) const
{
    std::vector<std::wstring> names;
    if (!CRegistryFormat::SplitKeyPath(key, names) || !IsFolder(m_strHiveRoot))
        return false;
    std::string path = m_strHiveRoot;
    for (const std::wstring& name : names)
    {
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
    for (const std::wstring& name : names)
    {
        std::string entry = FindEntry(path, name, false, nullptr);
        if (entry.empty())
        {
            entry = CRegistryFormat::KeyFileName(name);
            // Another process may create it at the same moment; either way it now exists.
            if (mkdir((path + "/" + entry).c_str(), 0755) != 0 && errno != EEXIST)
                return false;
            if (!IsFolder(path + "/" + entry))
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
    std::string folder;
    if (!FindKey(key, folder, nullptr))
        return false;
    std::string target = FindValueFile(folder, name);
    if (target.empty())
        target = CRegistryFormat::ValueFileName(name);

    std::string temp = folder + "/.tmp-XXXXXX";
    CFileDescriptor fd(mkostemp(temp.data(), O_CLOEXEC));
    if (fd.Get() < 0)
        return false;
    // Readable by all like the machine hive; umask can't be read without changing it for every thread.
    const bool written = fchmod(fd.Get(), 0644) == 0 &&
                         WriteAll(fd.Get(), CRegistryFormat::EncodeValue(type, data)) && fsync(fd.Get()) == 0;
    if (close(fd.Release()) != 0 || !written || rename(temp.c_str(), (folder + "/" + target).c_str()) != 0)
    {
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
    return !file.empty() && ReadAll(folder + "/" + file, bytes) && CRegistryFormat::DecodeValue(bytes, type, data);
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
    while (const dirent* entry = readdir(dir.get()))
    {
        bool isValue = false;
        std::wstring name;
        if (!CRegistryFormat::ParseFileName(entry->d_name, isValue, name) || isValue != values)
            continue;
        const std::string path = folder + "/" + entry->d_name;
        if (values ? IsRegularFile(path) : IsFolder(path))
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
