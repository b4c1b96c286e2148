#include "os/win32/AdminFolder.h"

#include <windows.h>
#include <shlwapi.h>

#include <initializer_list>
#include <memory>
#include <type_traits>

#include "os/win32/FullPath.h"

namespace
{

using FileHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, decltype(&CloseHandle)>;

constexpr DWORD INHERITED = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr DWORD READ_AND_EXECUTE = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;

// Runs the calling thread, for the life of the object, as this process with
// the named rights switched on; the process's own token, and so every other
// thread, keeps them off. Rights the process does not hold stay off.
class CThreadPrivileges
{
public:
    explicit CThreadPrivileges(std::initializer_list<const wchar_t*> names)
    {
        HANDLE hEarlier = nullptr;
        if (!OpenThreadToken(GetCurrentThread(), TOKEN_IMPERSONATE, TRUE, &hEarlier))
            hEarlier = nullptr;
        if (!ImpersonateSelf(SecurityImpersonation)) {
            if (hEarlier)
                CloseHandle(hEarlier);
            return;
        }
        m_bImpersonating = true;
        m_hEarlier = hEarlier;

        HANDLE hToken = nullptr;
        if (!OpenThreadToken(GetCurrentThread(), TOKEN_ADJUST_PRIVILEGES, TRUE, &hToken))
            return;
        for (const wchar_t* pszName : names) {
            TOKEN_PRIVILEGES privileges{};
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            if (LookupPrivilegeValueW(nullptr, pszName, &privileges.Privileges[0].Luid))
                AdjustTokenPrivileges(hToken, FALSE, &privileges, 0, nullptr, nullptr);
        }
        CloseHandle(hToken);
    }

    ~CThreadPrivileges()
    {
        if (!m_bImpersonating)
            return;
        // Back to whatever the thread ran as before, which is mostly the process itself.
        if (!SetThreadToken(nullptr, m_hEarlier))
            RevertToSelf();
        if (m_hEarlier)
            CloseHandle(m_hEarlier);
    }

    CThreadPrivileges(const CThreadPrivileges&) = delete;
    CThreadPrivileges& operator=(const CThreadPrivileges&) = delete;

private:
    bool m_bImpersonating = false;
    HANDLE m_hEarlier = nullptr;
};

bool MakeSid(WELL_KNOWN_SID_TYPE eType, std::vector<uint8_t>& sid)
{
    DWORD cbSid = SECURITY_MAX_SID_SIZE;
    sid.assign(cbSid, 0);
    if (!CreateWellKnownSid(eType, nullptr, sid.data(), &cbSid))
        return false;
    sid.resize(cbSid);
    return true;
}

bool IsDriveRoot(const std::wstring& strFolder)
{
    std::wstring full;
    return !FullPathOf(strFolder, full) || PathIsRootW(full.c_str()) != FALSE;
}

} // namespace

bool CAdminFolder::BuildDescriptor(std::vector<uint8_t>& descriptor)
{
    std::vector<uint8_t> system;
    std::vector<uint8_t> admins;
    std::vector<uint8_t> users;
    if (!MakeSid(WinLocalSystemSid, system) || !MakeSid(WinBuiltinAdministratorsSid, admins) ||
        !MakeSid(WinBuiltinUsersSid, users))
        return false;

    const DWORD cbAceBase = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);
    const DWORD cbAcl = sizeof(ACL) + 3 * cbAceBase + static_cast<DWORD>(system.size() + admins.size() + users.size());
    // DWORD-aligned, as an ACL must be.
    std::vector<DWORD> aclBuffer((cbAcl + sizeof(DWORD) - 1) / sizeof(DWORD));
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer.data());
    if (!InitializeAcl(pAcl, cbAcl, ACL_REVISION) ||
        !AddAccessAllowedAceEx(pAcl, ACL_REVISION, INHERITED, FILE_ALL_ACCESS, system.data()) ||
        !AddAccessAllowedAceEx(pAcl, ACL_REVISION, INHERITED, FILE_ALL_ACCESS, admins.data()) ||
        !AddAccessAllowedAceEx(pAcl, ACL_REVISION, INHERITED, READ_AND_EXECUTE, users.data()))
        return false;

    SECURITY_DESCRIPTOR sd;
    if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&sd, admins.data(), FALSE) || !SetSecurityDescriptorDacl(&sd, TRUE, pAcl, FALSE) ||
        !SetSecurityDescriptorControl(&sd, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return false;
    DWORD cbDescriptor = 0;
    MakeSelfRelativeSD(&sd, nullptr, &cbDescriptor);
    if (cbDescriptor == 0)
        return false;
    descriptor.assign(cbDescriptor, 0);
    return MakeSelfRelativeSD(&sd, descriptor.data(), &cbDescriptor) != FALSE;
}

bool CAdminFolder::Claim(const std::wstring& strFolder)
{
    // A drive's root belongs to everything on the drive, not to us.
    if (strFolder.empty() || IsDriveRoot(strFolder))
        return false;
    std::vector<uint8_t> descriptor;
    if (!BuildDescriptor(descriptor))
        return false;

    // A folder whose owner shut Administrators out is opened with the backup
    // and restore rights and given an owner with the take-ownership right;
    // an elevated administrator holds all three.
    const CThreadPrivileges privileges{SE_TAKE_OWNERSHIP_NAME, SE_RESTORE_NAME, SE_BACKUP_NAME};
    // The folder itself, never what a link there points to. Opened to list
    // (an open with no read, write or delete right has its sharing ignored)
    // without delete sharing: it cannot be renamed and replaced while we work
    // on it, and an earlier owner still holding it open with the right to
    // delete it (which would outlive the new DACL) makes this fail.
    HANDLE hOpened =
        CreateFileW(strFolder.c_str(),
                    READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hOpened == INVALID_HANDLE_VALUE)
        return false;
    const FileHandle hFolder(hOpened, &CloseHandle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(hFolder.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return false;
    // On FAT and the like anyone may change anything: no folder there is ours.
    DWORD dwVolumeFlags = 0;
    if (!GetVolumeInformationByHandleW(hFolder.get(), nullptr, 0, nullptr, nullptr, &dwVolumeFlags, nullptr, 0) ||
        (dwVolumeFlags & FILE_PERSISTENT_ACLS) == 0)
        return false;
    // Through the handle, to this folder alone: SetNamedSecurityInfoW would
    // look the name up again, and it and SetSecurityInfo carry the new ACEs
    // down through what the folder holds, a tree someone else built that may
    // lead, through links, anywhere on the machine.
    return SetKernelObjectSecurity(hFolder.get(),
                                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                       PROTECTED_DACL_SECURITY_INFORMATION,
                                   descriptor.data()) != FALSE;
}
