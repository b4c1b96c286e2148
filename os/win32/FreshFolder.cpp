#include "os/win32/FreshFolder.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <cwctype>

#include "os/win32/AdminFolder.h"
#include "os/win32/AdminOnlyRights.h"
#include "os/win32/FullPath.h"
#include "os/win32/HexDigits.h"
#include "os/win32/RandomBits.h"

namespace
{

const wchar_t DOWNLOAD_NAME[] = L"ZELQACONVERT.exe";
const wchar_t PROGRESS_FOLDER_NAME[] = L"Zelqa";
const wchar_t PART_SUFFIX[] = L".part";

bool EqualNoCase(const wchar_t* pszLeft, size_t nLeft, const wchar_t* pszRight, size_t nRight)
{
    return CompareStringOrdinal(pszLeft, static_cast<int>(nLeft), pszRight, static_cast<int>(nRight), TRUE) ==
           CSTR_EQUAL;
}

// The full path without trailing separators (but a root's own).
bool FolderPathOf(const std::wstring& strPath, std::wstring& full)
{
    if (!FullPathOf(strPath, full))
        return false;
    while (full.size() > 3 && full.back() == L'\\')
        full.pop_back();
    return true;
}

// An entry is ours to delete when no one but the administrators could have
// made it what it is: no link, and only they may change it.
bool IsAdminOnlyEntry(const std::wstring& strPath)
{
    const HANDLE hEntry = CreateFileW(strPath.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hEntry == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info{};
    std::vector<uint8_t> descriptor;
    const bool bOk =
        GetFileInformationByHandle(hEntry, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
        CAdminOnlyRights::ReadSecurity(hEntry, descriptor) && CAdminOnlyRights::IsChangeableOnlyByAdmins(descriptor);
    CloseHandle(hEntry);
    return bOk;
}

// The entries of a folder, or false when it can't be listed.
struct CEntry
{
    std::wstring m_strName;
    bool m_bFolder;
    bool m_bLink;
};

bool ListFolder(const std::wstring& strFolder, std::vector<CEntry>& entries)
{
    WIN32_FIND_DATAW data{};
    const HANDLE hFind =
        FindFirstFileExW((strFolder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (hFind == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        const std::wstring strName = data.cFileName;
        if (strName == L"." || strName == L"..")
            continue;
        entries.push_back({strName, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(hFind, &data));
    const bool bComplete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(hFind);
    return bComplete;
}

// What to delete, as names inside the folder (files first, then folders),
// when the folder is our own and holds only what earlier attempts leave;
// false otherwise.
bool CollectOwnLeftovers(const std::wstring& strFolder, std::vector<std::wstring>& files,
                         std::vector<std::wstring>& folders)
{
    std::vector<CEntry> entries;
    if (!ListFolder(strFolder, entries))
        return false;
    for (const CEntry& entry : entries) {
        const std::wstring strPath = strFolder + L"\\" + entry.m_strName;
        if (entry.m_bLink || !CFreshFolder::IsLeftoverName(entry.m_strName, entry.m_bFolder) ||
            !IsAdminOnlyEntry(strPath))
            return false;
        if (!entry.m_bFolder) {
            files.push_back(entry.m_strName);
            continue;
        }
        // The full installer's folder: files of its own, nothing deeper.
        std::vector<CEntry> inner;
        if (!ListFolder(strPath, inner))
            return false;
        for (const CEntry& file : inner) {
            if (file.m_bLink || file.m_bFolder || !IsAdminOnlyEntry(strPath + L"\\" + file.m_strName))
                return false;
            files.push_back(entry.m_strName + L"\\" + file.m_strName);
        }
        folders.push_back(entry.m_strName);
    }
    return true;
}

// True when the folder the handle holds is one of our own, with the names of
// what is in it.
bool IsOwnFolder(HANDLE hFolder, const std::wstring& strFolder, std::vector<std::wstring>& files,
                 std::vector<std::wstring>& folders)
{
    BY_HANDLE_FILE_INFORMATION info{};
    std::vector<uint8_t> descriptor;
    return GetFileInformationByHandle(hFolder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
           CAdminOnlyRights::ReadSecurity(hFolder, descriptor) && CFreshFolder::IsOwnDescriptor(descriptor) &&
           CollectOwnLeftovers(strFolder, files, folders);
}

// Deletes our own folder, now at strFolder, through the handle that holds it;
// false, with the rest left in place, at the first thing that can't go.
bool RemoveOwnFolder(HANDLE hFolder, const std::wstring& strFolder, const std::vector<std::wstring>& files,
                     const std::vector<std::wstring>& folders)
{
    for (const std::wstring& strFile : files)
        if (!DeleteFileW((strFolder + L"\\" + strFile).c_str()))
            return false;
    for (const std::wstring& strInner : folders)
        if (!RemoveDirectoryW((strFolder + L"\\" + strInner).c_str()))
            return false;
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(hFolder, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// Renames the folder the handle holds to a new name beside it.
bool MoveAside(HANDLE hFolder, const std::wstring& strFolder, std::wstring& movedTo)
{
    for (int nTry = 0; nTry < 20; ++nTry) {
        std::wstring strTarget = strFolder + L"-";
        AppendHex8(strTarget, RandomBits());
        AppendHex8(strTarget, RandomBits());
        std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + strTarget.size() * sizeof(wchar_t), 0);
        auto* pRename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        // Never over anything: a name taken is tried again with another.
        pRename->ReplaceIfExists = FALSE;
        pRename->RootDirectory = nullptr;
        pRename->FileNameLength = static_cast<DWORD>(strTarget.size() * sizeof(wchar_t));
        memcpy(pRename->FileName, strTarget.data(), strTarget.size() * sizeof(wchar_t));
        if (SetFileInformationByHandle(hFolder, FileRenameInfo, pRename, static_cast<DWORD>(buffer.size()))) {
            movedTo = strTarget;
            return true;
        }
        const DWORD dwError = GetLastError();
        if (dwError != ERROR_ALREADY_EXISTS && dwError != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

} // namespace

bool CFreshFolder::IsLeftoverName(const std::wstring& strName, bool bFolder)
{
    if (bFolder)
        return EqualNoCase(strName.c_str(), strName.size(), PROGRESS_FOLDER_NAME, wcslen(PROGRESS_FOLDER_NAME));
    const size_t nBase = wcslen(DOWNLOAD_NAME);
    if (EqualNoCase(strName.c_str(), strName.size(), DOWNLOAD_NAME, nBase))
        return true;
    // What a download writes until it is complete: "<name>.<8 hex digits>.part".
    const size_t nSuffix = wcslen(PART_SUFFIX);
    if (strName.size() != nBase + 1 + 8 + nSuffix || !EqualNoCase(strName.c_str(), nBase, DOWNLOAD_NAME, nBase) ||
        strName[nBase] != L'.' || !EqualNoCase(strName.c_str() + nBase + 9, nSuffix, PART_SUFFIX, nSuffix))
        return false;
    for (size_t i = nBase + 1; i < nBase + 9; ++i)
        if (!iswxdigit(strName[i]))
            return false;
    return true;
}

bool CFreshFolder::IsOwnDescriptor(const std::vector<uint8_t>& descriptor)
{
    std::vector<uint8_t> own;
    if (descriptor.empty() || !CAdminFolder::BuildDescriptor(own))
        return false;
    PSECURITY_DESCRIPTOR pActual = const_cast<uint8_t*>(descriptor.data());
    PSECURITY_DESCRIPTOR pOwn = own.data();
    if (!IsValidSecurityDescriptor(pActual))
        return false;

    PSID pActualOwner = nullptr;
    PSID pOwnOwner = nullptr;
    BOOL bDefaulted = FALSE;
    if (!GetSecurityDescriptorOwner(pActual, &pActualOwner, &bDefaulted) || !pActualOwner ||
        !GetSecurityDescriptorOwner(pOwn, &pOwnOwner, &bDefaulted) || !EqualSid(pActualOwner, pOwnOwner))
        return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD dwRevision = 0;
    if (!GetSecurityDescriptorControl(pActual, &control, &dwRevision) || (control & SE_DACL_PROTECTED) == 0)
        return false;

    BOOL bPresent = FALSE;
    PACL pActualDacl = nullptr;
    PACL pOwnDacl = nullptr;
    if (!GetSecurityDescriptorDacl(pActual, &bPresent, &pActualDacl, &bDefaulted) || !bPresent || !pActualDacl ||
        !GetSecurityDescriptorDacl(pOwn, &bPresent, &pOwnDacl, &bDefaulted) ||
        pActualDacl->AceCount != pOwnDacl->AceCount)
        return false;
    for (DWORD i = 0; i < pOwnDacl->AceCount; ++i) {
        void* pActualAce = nullptr;
        void* pOwnAce = nullptr;
        if (!GetAce(pActualDacl, i, &pActualAce) || !GetAce(pOwnDacl, i, &pOwnAce))
            return false;
        const WORD nSize = static_cast<const ACE_HEADER*>(pOwnAce)->AceSize;
        if (static_cast<const ACE_HEADER*>(pActualAce)->AceSize != nSize || memcmp(pActualAce, pOwnAce, nSize) != 0)
            return false;
    }
    return true;
}

bool CFreshFolder::Make(const std::wstring& strFolder, std::wstring* pMovedAside)
{
    if (pMovedAside)
        pMovedAside->clear();
    std::wstring full;
    // A drive's root is never ours to replace.
    if (!FolderPathOf(strFolder, full) || PathIsRootW(full.c_str()) || full.size() < 4 || full[1] != L':')
        return false;
    std::vector<uint8_t> descriptor;
    if (!CAdminFolder::BuildDescriptor(descriptor))
        return false;

    // What is there is opened as itself (a link or junction is never
    // followed) and without delete sharing, so it stays what was looked at
    // until it is gone. A folder whose DACL shuts us out of reading is
    // none of ours: opened to be moved only, which the parent's rights allow.
    const DWORD dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD dwFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE hOld =
        CreateFileW(full.c_str(), DELETE | READ_CONTROL | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    dwShare, nullptr, OPEN_EXISTING, dwFlags, nullptr);
    if (hOld == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        hOld = CreateFileW(full.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, dwShare, nullptr, OPEN_EXISTING,
                           dwFlags, nullptr);
    if (hOld == INVALID_HANDLE_VALUE) {
        const DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_NOT_FOUND && dwError != ERROR_PATH_NOT_FOUND)
            return false;
    } else {
        // Even our own goes aside first: its name is then free at once,
        // whoever may still have it open, and what can't be deleted stays
        // out of the way.
        std::vector<std::wstring> files;
        std::vector<std::wstring> folders;
        const bool bOwn = IsOwnFolder(hOld, full, files, folders);
        std::wstring movedTo;
        if (!MoveAside(hOld, full, movedTo)) {
            CloseHandle(hOld);
            return false;
        }
        if (bOwn && RemoveOwnFolder(hOld, movedTo, files, folders))
            movedTo.clear();
        CloseHandle(hOld);
        if (pMovedAside)
            *pMovedAside = movedTo;
    }

    // Born with its descriptor: there is no moment with inherited rights in
    // which someone could open it or drop a file in. A name taken again in the
    // meantime fails here, and that attempt with it.
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor.data();
    attributes.bInheritHandle = FALSE;
    return CreateDirectoryW(full.c_str(), &attributes) != FALSE;
}
