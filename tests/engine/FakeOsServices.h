#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "os/OsServices.h"

// OS services held in memory, for engine tests: drives, files, one INI value,
// the registry and downloads behave as configured; every call is thread-safe.
class CFakeOsServices : public IOsServices
{
public:
    std::mutex m_mutex;
    std::wstring m_strDesktop = L"C:\\users\\ann\\Desktop";
    std::wstring m_strSystemDrive = L"C:";
    std::map<wchar_t, DriveKind> m_drives{{L'C', DriveKind::Fixed}};
    std::map<wchar_t, uint64_t> m_freeBytes; // missing: the query fails
    std::set<std::wstring> m_dirs;
    std::set<std::wstring> m_files;
    std::vector<std::wstring> m_removed;
    std::map<std::wstring, int32_t> m_percent;             // progress file -> value
    std::map<std::wstring, std::vector<uint8_t>> m_values; // "key|name" -> data
    std::map<std::wstring, RegType> m_types;
    std::vector<std::wstring> m_opened;
    std::vector<std::wstring> m_openedAsUser;
    std::vector<std::wstring> m_prepared; // download folders made ready
    bool m_bPrepareResult = true;
    int32_t m_nShellOpenResult = 42;
    std::wstring m_strSigner = L"brovix 软件"; // whose signature a downloaded file carries
    std::vector<std::wstring> m_checked;       // "program|publisher" asked about
    int m_nThreadFailures = 0;                 // the next n starts fail
    int m_nThreadStarts = 0;
    std::vector<std::thread> m_threads;
    // Runs a download; the default delivers 1000 bytes in ten reports.
    std::function<DownloadResult(IDownloadProgress*)> m_download = [](IDownloadProgress* p) {
        for (uint64_t done = 0; done <= 1000; done += 100)
            if (p->OnProgress(done, 1000, 5, L"") == E_ABORT)
                return DownloadResult::Aborted;
        return DownloadResult::Ok;
    };
    std::vector<std::wstring> m_downloads;

    ~CFakeOsServices() override { JoinThreads(); }

    void JoinThreads()
    {
        for (;;) {
            std::vector<std::thread> threads;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                threads.swap(m_threads);
            }
            if (threads.empty())
                return;
            for (std::thread& t : threads)
                t.join();
        }
    }

    static wchar_t Letter(const std::wstring& root) { return root.empty() ? L'\0' : towupper(root[0]); }

    bool GetDesktopFolder(std::wstring& path) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        path = m_strDesktop;
        return !path.empty();
    }
    bool GetSystemDrive(std::wstring& drive) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        drive = m_strSystemDrive;
        return !drive.empty();
    }
    DriveKind GetDriveKind(const std::wstring& root) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (root.size() < 2 || root[1] != L':')
            return DriveKind::NoRootDir;
        auto it = m_drives.find(Letter(root));
        return it == m_drives.end() ? DriveKind::NoRootDir : it->second;
    }
    bool GetFreeBytesForCaller(const std::wstring& root, uint64_t& bytes) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_freeBytes.find(Letter(root));
        if (it == m_freeBytes.end())
            return false;
        bytes = it->second;
        return true;
    }
    bool ToNativePath(const std::wstring&, NativePath&) override { return false; }
    bool FromNativePath(const NativePath&, std::wstring&) override { return false; }
    bool CreateFolder(const std::wstring& path) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_dirs.insert(path);
        return true;
    }
    bool RemoveFile(const std::wstring& path) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_removed.push_back(path);
        m_percent.erase(path);
        return m_files.erase(path) > 0;
    }
    bool PrepareDownloadFolder(const std::wstring& path) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_prepared.push_back(path);
        if (m_bPrepareResult)
            m_dirs.insert(path);
        return m_bPrepareResult;
    }
    bool IsDirectory(const std::wstring& path) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_dirs.count(path) > 0;
    }
    bool FileExists(const std::wstring& path) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_files.count(path) > 0;
    }
    int32_t ReadPrivateProfileInt(const std::wstring&, const std::wstring&, int32_t defaultValue,
                                  const std::wstring& file) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_percent.find(file);
        return it == m_percent.end() ? defaultValue : it->second;
    }
    int32_t ShellOpen(const std::wstring& target) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_opened.push_back(target);
        return m_nShellOpenResult;
    }
    int32_t ShellOpenAsUser(const std::wstring& target) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_openedAsUser.push_back(target);
        return m_nShellOpenResult;
    }
    bool IsFromPublisher(const std::wstring& program, const std::wstring& publisher) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_checked.push_back(program + L"|" + publisher);
        return m_files.count(program) > 0 && m_strSigner == publisher;
    }
    bool BrowseForFolder(const std::wstring&, const std::wstring&, std::wstring&) override { return false; }
    DownloadResult DownloadToFile(const std::wstring& url, const std::wstring& path, IDownloadProgress* p) override
    {
        std::function<DownloadResult(IDownloadProgress*)> download;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_downloads.push_back(url);
            download = m_download;
        }
        DownloadResult result = download(p);
        if (result == DownloadResult::Ok) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_files.insert(path);
        }
        return result;
    }
    bool StartThread(std::function<void()> body) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_nThreadStarts;
        if (m_nThreadFailures > 0) {
            --m_nThreadFailures;
            return false;
        }
        m_threads.emplace_back(std::move(body));
        return true;
    }
    bool RegEnsureKey(const std::wstring&) override { return true; }
    bool RegKeyExists(const std::wstring&) override { return true; }
    bool RegWriteValue(const std::wstring& key, const std::wstring& name, RegType type,
                       const std::vector<uint8_t>& data) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values[key + L"|" + name] = data;
        m_types[key + L"|" + name] = type;
        return true;
    }
    bool RegReadValue(const std::wstring& key, const std::wstring& name, RegType& type,
                      std::vector<uint8_t>& data) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_values.find(key + L"|" + name);
        if (it == m_values.end())
            return false;
        type = m_types[key + L"|" + name];
        data = it->second;
        return true;
    }
    bool RegRemoveValue(const std::wstring& key, const std::wstring& name) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_values.erase(key + L"|" + name) > 0;
    }

    void SetOperation(const std::wstring& text)
    {
        ::RegSetString(*this, L"Software\\brovix\\Zelqa", L"Operation", text, 260);
    }
    void SetPercent(int32_t value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_percent[L"C:\\brovix\\Zelqa\\Percent.ini"] = value;
    }
};
