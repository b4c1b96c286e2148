#include "os/win32/AdminOnlyProgram.h"

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "os/OsServices.h"
#include "os/win32/AdminOnlyRights.h"

namespace
{

using FileHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, decltype(&CloseHandle)>;

FileHandle Opened(HANDLE hFile)
{
    return FileHandle(hFile == INVALID_HANDLE_VALUE ? nullptr : hFile, &CloseHandle);
}

// Where a handle's object really is, as a plain drive or network path.
bool FinalPathOf(HANDLE hFile, std::wstring& path)
{
    const DWORD nNeeded = GetFinalPathNameByHandleW(hFile, nullptr, 0, VOLUME_NAME_DOS);
    if (nNeeded == 0)
        return false;
    std::wstring buffer(nNeeded, L'\0');
    const DWORD nLength = GetFinalPathNameByHandleW(hFile, buffer.data(), nNeeded, VOLUME_NAME_DOS);
    if (nLength == 0 || nLength >= nNeeded)
        return false;
    buffer.resize(nLength);
    if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        path = L"\\\\" + buffer.substr(8);
    else if (buffer.compare(0, 4, L"\\\\?\\") == 0)
        path = buffer.substr(4);
    else
        path = buffer;
    return true;
}

bool SameNoCase(const std::wstring& left, const std::wstring& right)
{
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

int32_t OpenErrorToResult(DWORD dwError)
{
    switch (dwError) {
    case ERROR_FILE_NOT_FOUND:
        return ShellOpenResult::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ShellOpenResult::PathNotFound;
    default:
        return ShellOpenResult::AccessDenied;
    }
}

} // namespace

int32_t CAdminOnlyProgram::Start(const std::wstring& strPath)
{
    const size_t nSlash = strPath.find_last_of(L"\\/");
    if (strPath.size() < 4 || strPath[1] != L':' || nSlash == std::wstring::npos || nSlash + 1 == strPath.size())
        return ShellOpenResult::PathNotFound;
    std::wstring strFolder = strPath.substr(0, nSlash);
    if (strFolder.size() == 2)
        strFolder += L'\\';

    // The folder as it really is (links on the way are followed here and
    // then pinned: nothing on the way can be renamed while this is open).
    // Without delete sharing, it can't itself be renamed or replaced.
    const FileHandle hFolder = Opened(CreateFileW(strFolder.c_str(), READ_CONTROL | FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!hFolder)
        return OpenErrorToResult(GetLastError());
    // The program itself, never through a link, shared for reading alone: a
    // writer, a rename or a delete is refused until it has been started, and
    // one already writing makes this fail.
    const FileHandle hFile =
        Opened(CreateFileW(strPath.c_str(), READ_CONTROL | GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!hFile)
        return OpenErrorToResult(GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(hFile.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return ShellOpenResult::AccessDenied;

    std::vector<uint8_t> folderSecurity;
    std::vector<uint8_t> fileSecurity;
    if (!CAdminOnlyRights::ReadSecurity(hFolder.get(), folderSecurity) ||
        !CAdminOnlyRights::ReadSecurity(hFile.get(), fileSecurity) ||
        !CAdminOnlyRights::IsChangeableOnlyByAdmins(folderSecurity) ||
        !CAdminOnlyRights::IsChangeableOnlyByAdmins(fileSecurity))
        return ShellOpenResult::AccessDenied;

    // Started under the file's real name, inside the folder that was checked.
    std::wstring strReal;
    std::wstring strRealFolder;
    if (!FinalPathOf(hFile.get(), strReal) || !FinalPathOf(hFolder.get(), strRealFolder))
        return ShellOpenResult::AccessDenied;
    const size_t nRealSlash = strReal.find_last_of(L'\\');
    std::wstring strRealParent = nRealSlash == std::wstring::npos ? std::wstring() : strReal.substr(0, nRealSlash);
    if (strRealParent.size() == 2)
        strRealParent += L'\\';
    if (!SameNoCase(strRealParent, strRealFolder))
        return ShellOpenResult::AccessDenied;

    const HINSTANCE hResult = ShellExecuteW(nullptr, L"open", strReal.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return static_cast<int32_t>(reinterpret_cast<INT_PTR>(hResult));
}
