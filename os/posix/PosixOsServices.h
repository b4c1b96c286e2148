#pragma once

#include "os/OsServices.h"

#include <chrono>
#include <string>

// The OS services on Linux and other POSIX systems. Drive paths live in a
// prefix folder (see CPrefix): each drive letter is a link in its dosdevices
// folder, the install record is kept in its registry folder. The object keeps
// no state that changes after construction, so all threads may share it.
class CPosixOsServices : public IOsServices
{
public:
    struct Options
    {
        std::string m_strPrefix;       // empty: CPrefix::Locate()
        std::string m_strLogin;        // empty: the user we run as
        std::string m_strOpener;       // empty: xdg-open ($ZELQA_OPENER in test builds)
        std::string m_strFolderPicker; // empty: zenity ($ZELQA_FOLDER_PICKER in test builds)
        // How long ShellOpen waits for the opener's verdict; one still
        // running then has handed the page over and counts as success.
        std::chrono::milliseconds m_openerWait{std::chrono::seconds(10)};
        std::string m_strMountInfo = "/proc/self/mountinfo";
        std::string m_strSysRoot = "/sys";
    };

    // Finds the prefix and prepares it on first use (drive C:, the desktop folder).
    CPosixOsServices();
    explicit CPosixOsServices(Options options);

    const std::string& Prefix() const { return m_options.m_strPrefix; }

    // Drive path to host path with the letter case of names that already
    // exist on disk, as the platform's case-blind file names would find them.
    bool ToHostPath(const std::wstring& path, std::string& host) const;

    bool GetDesktopFolder(std::wstring& path) override;
    bool GetSystemDrive(std::wstring& drive) override;
    DriveKind GetDriveKind(const std::wstring& root) override;
    bool GetFreeBytesForCaller(const std::wstring& root, uint64_t& bytes) override;
    bool ToNativePath(const std::wstring& path, NativePath& native) override;
    bool FromNativePath(const NativePath& native, std::wstring& path) override;

    bool CreateFolder(const std::wstring& path) override;
    bool RemoveFile(const std::wstring& path) override;
    bool PrepareDownloadFolder(const std::wstring& path) override;
    bool IsDirectory(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    int32_t ReadPrivateProfileInt(const std::wstring& section, const std::wstring& key, int32_t defaultValue,
                                  const std::wstring& file) override;

    int32_t ShellOpen(const std::wstring& fileOrUrl) override;
    // This program runs with its user's own rights: the same as ShellOpen.
    int32_t ShellOpenAsUser(const std::wstring& fileOrUrl) override;
    bool IsFromPublisher(const std::wstring& program, const std::wstring& publisher) override;
    bool BrowseForFolder(const std::wstring& title, const std::wstring& startFolder, std::wstring& chosen) override;

    DownloadResult DownloadToFile(const std::wstring& url, const std::wstring& path,
                                  IDownloadProgress* pProgress) override;
    void PrepareDownload() override;
    bool StartThread(std::function<void()> body) override;

    bool RegEnsureKey(const std::wstring& key) override;
    bool RegKeyExists(const std::wstring& key) override;
    bool RegWriteValue(const std::wstring& key, const std::wstring& name, RegType type,
                       const std::vector<uint8_t>& data) override;
    bool RegReadValue(const std::wstring& key, const std::wstring& name, RegType& type,
                      std::vector<uint8_t>& data) override;
    bool RegRemoveValue(const std::wstring& key, const std::wstring& name) override;

private:
    // Host folder of the drive named by the first two characters of `root`.
    bool DriveRootFolder(const std::wstring& root, std::string& host) const;

    int32_t OpenWithHandler(const std::string& target) const;
    int32_t OpenLocalFile(const std::string& host) const;

    Options m_options;
};
