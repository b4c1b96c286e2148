#pragma once

#include <cstddef>

#include "os/OsServices.h"
#include "os/win32/HeldFiles.h"

// The OS services on Windows: the platform calls themselves, drive paths as
// native paths. The install record lives in the 32-bit view of the registry
// (where the 32-bit program keeps it and the full installer looks) whatever
// this build's word size.
//
// The program runs elevated and starts what it downloads, from a folder that
// a standard user may have made beforehand. So the download folder is made
// anew for each attempt (CFreshFolder), a download claims its folder for
// Administrators (CAdminFolder), and a downloaded file is held open against
// writers and deleters from the end of its transfer until ShellOpen has
// started it (or a new download of it begins, or the object goes). The
// progress file in that folder is read and removed without passing a link
// (CDirectPath). The product and web pages go to the desktop's shell
// (CDesktopShell), so they run with the user's rights, not ours. All threads
// may share the object.
class CWin32OsServices : public IOsServices
{
public:
    // bUseDesktopShell false: ShellOpenAsUser acts as where no desktop shell
    // takes requests (tests).
    explicit CWin32OsServices(bool bUseDesktopShell = true) : m_bUseDesktopShell(bUseDesktopShell) {}

    // The largest record value RegReadValue reads; anything larger, which
    // another process may have written, reads as unreadable.
    static constexpr size_t MAX_REG_VALUE_BYTES = 64 * 1024;

    bool GetDesktopFolder(std::wstring& path) override;
    bool GetSystemDrive(std::wstring& drive) override;
    DriveKind GetDriveKind(const std::wstring& root) override;
    bool GetFreeBytesForCaller(const std::wstring& root, uint64_t& bytes) override;
    bool ToNativePath(const std::wstring& path, NativePath& native) override;
    bool FromNativePath(const NativePath& native, std::wstring& path) override;

    bool CreateFolder(const std::wstring& path) override;
    bool RemoveFile(const std::wstring& path) override;
    // Makes the folder anew with CFreshFolder: an earlier folder of our own is
    // deleted, anything else at the name is moved aside under a new name.
    bool PrepareDownloadFolder(const std::wstring& path) override;
    bool IsDirectory(const std::wstring& path) override;
    bool FileExists(const std::wstring& path) override;
    int32_t ReadPrivateProfileInt(const std::wstring& section, const std::wstring& key, int32_t defaultValue,
                                  const std::wstring& file) override;

    int32_t ShellOpen(const std::wstring& fileOrUrl) override;
    int32_t ShellOpenAsUser(const std::wstring& fileOrUrl) override;
    bool IsFromPublisher(const std::wstring& program, const std::wstring& publisher) override;
    bool BrowseForFolder(const std::wstring& title, const std::wstring& startFolder, std::wstring& chosen) override;

    DownloadResult DownloadToFile(const std::wstring& url, const std::wstring& path,
                                  IDownloadProgress* pProgress) override;
    bool StartThread(std::function<void()> body) override;

    bool RegEnsureKey(const std::wstring& key) override;
    bool RegKeyExists(const std::wstring& key) override;
    bool RegWriteValue(const std::wstring& key, const std::wstring& name, RegType type,
                       const std::vector<uint8_t>& data) override;
    bool RegReadValue(const std::wstring& key, const std::wstring& name, RegType& type,
                      std::vector<uint8_t>& data) override;
    bool RegRemoveValue(const std::wstring& key, const std::wstring& name) override;

    // The drive root L"X:\\" of the drive letter that starts `path`; false
    // when its first two characters are no drive letter and colon.
    static bool DriveRootOf(const std::wstring& path, std::wstring& root);

    // The largest progress file ReadPrivateProfileInt reads, as on every target.
    static constexpr size_t MAX_PROFILE_BYTES = 64 * 1024;

private:
    const bool m_bUseDesktopShell;
    CHeldFiles m_heldFiles;
};
