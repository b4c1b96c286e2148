#include "os/win32/Win32OsServices.h"

#include <windows.h>
#include <process.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "os/IniReader.h"
#include "os/win32/AdminFolder.h"
#include "os/win32/AdminOnlyProgram.h"
#include "os/win32/ComApartment.h"
#include "os/win32/DesktopShell.h"
#include "os/win32/DirectPath.h"
#include "os/win32/FreshFolder.h"
#include "os/win32/FullPath.h"
#include "os/win32/SignatureCheck.h"
#include "os/win32/UrlDownload.h"

namespace
{

// The 32-bit program keeps the record in the 32-bit view, and the full
// installer looks for it there; a 64-bit build must ask for that view.
#if defined(_WIN64)
constexpr REGSAM REGISTRY_VIEW = KEY_WOW64_32KEY;
#else
constexpr REGSAM REGISTRY_VIEW = 0;
#endif

using KeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&RegCloseKey)>;

KeyHandle OpenKey(const std::wstring& key, REGSAM access)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, access | REGISTRY_VIEW, &hKey) != ERROR_SUCCESS)
        hKey = nullptr;
    return KeyHandle(hKey, &RegCloseKey);
}

unsigned __stdcall ThreadMain(void* pArgument)
{
    std::unique_ptr<std::function<void()>> pBody(static_cast<std::function<void()>*>(pArgument));
    (*pBody)();
    return 0;
}

// The folder a file path names its file in: L"D:\\brovix" for
// L"D:\\brovix\\ZELQACONVERT.exe", the root L"D:\\" for L"D:\\a.exe".
std::wstring FolderOf(const std::wstring& path)
{
    const size_t nSlash = path.find_last_of(L"\\/");
    if (nSlash == std::wstring::npos)
        return std::wstring();
    std::wstring folder = path.substr(0, nSlash);
    if (!folder.empty() && folder.back() == L':')
        folder += L'\\';
    return folder;
}

int CALLBACK BrowseCallback(HWND hWnd, UINT uMsg, LPARAM, LPARAM lpData)
{
    if (uMsg == BFFM_INITIALIZED)
        SendMessageW(hWnd, BFFM_SETSELECTIONW, TRUE, lpData);
    return 0;
}

} // namespace

bool CWin32OsServices::DriveRootOf(const std::wstring& path, std::wstring& root)
{
    if (path.size() < 2 || path[1] != L':')
        return false;
    const wchar_t letter = path[0];
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')))
        return false;
    root = std::wstring(1, letter) + L":\\";
    return true;
}

bool CWin32OsServices::GetDesktopFolder(std::wstring& path)
{
    wchar_t szPath[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, szPath, CSIDL_DESKTOPDIRECTORY, FALSE) || szPath[0] == L'\0')
        return false;
    path = szPath;
    return true;
}

bool CWin32OsServices::GetSystemDrive(std::wstring& drive)
{
    wchar_t szWindows[MAX_PATH] = {};
    const UINT nLength = GetSystemWindowsDirectoryW(szWindows, ARRAYSIZE(szWindows));
    if (nLength < 2 || nLength >= ARRAYSIZE(szWindows) || szWindows[1] != L':')
        return false;
    drive = std::wstring(szWindows, 2);
    return true;
}

DriveKind CWin32OsServices::GetDriveKind(const std::wstring& root)
{
    // The drive-type query wants the root with its backslash; "D:" alone
    // would name the drive's current folder.
    std::wstring driveRoot;
    if (!DriveRootOf(root, driveRoot))
        return DriveKind::NoRootDir;
    const UINT uKind = GetDriveTypeW(driveRoot.c_str());
    return uKind <= DRIVE_RAMDISK ? static_cast<DriveKind>(uKind) : DriveKind::Unknown;
}

bool CWin32OsServices::GetFreeBytesForCaller(const std::wstring& root, uint64_t& bytes)
{
    std::wstring driveRoot;
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER free{};
    if (!DriveRootOf(root, driveRoot) || !GetDiskFreeSpaceExW(driveRoot.c_str(), &available, &total, &free))
        return false;
    bytes = available.QuadPart;
    return true;
}

bool CWin32OsServices::ToNativePath(const std::wstring& path, NativePath& native)
{
    std::wstring root;
    if (!DriveRootOf(path, root))
        return false;
    native = path;
    return true;
}

bool CWin32OsServices::FromNativePath(const NativePath& native, std::wstring& path)
{
    std::wstring full;
    std::wstring root;
    if (!FullPathOf(native, full) || !DriveRootOf(full, root))
        return false;
    path = full;
    return true;
}

bool CWin32OsServices::CreateFolder(const std::wstring& path)
{
    if (CreateDirectoryW(path.c_str(), nullptr))
        return true;
    return GetLastError() == ERROR_ALREADY_EXISTS && PathIsDirectoryW(path.c_str());
}

bool CWin32OsServices::PrepareDownloadFolder(const std::wstring& path)
{
    return CFreshFolder::Make(path);
}

bool CWin32OsServices::RemoveFile(const std::wstring& path)
{
    // Elevated, a delete through a junction someone put on the way would
    // remove whatever file they pointed it at.
    return CDirectPath::RemoveFile(path);
}

bool CWin32OsServices::IsDirectory(const std::wstring& path)
{
    return !path.empty() && PathIsDirectoryW(path.c_str()) != FALSE;
}

bool CWin32OsServices::FileExists(const std::wstring& path)
{
    const DWORD dwAttributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int32_t CWin32OsServices::ReadPrivateProfileInt(const std::wstring& section, const std::wstring& key,
                                                int32_t defaultValue, const std::wstring& file)
{
    // The platform's own reader would follow a junction to any file and read
    // one of any size; the bounds are those of every target.
    std::string bytes;
    if (!CDirectPath::ReadRegularFile(file, MAX_PROFILE_BYTES, bytes))
        return defaultValue;
    return CIniReader::GetInt(CIniReader::Decode(bytes), section, key, defaultValue);
}

int32_t CWin32OsServices::ShellOpen(const std::wstring& fileOrUrl)
{
    // The shell may hand the work to extensions that expect an apartment.
    CComApartment apartment;
    // A downloaded file held since its transfer is started while still held;
    // once the shell has returned, the program runs from the image it mapped
    // then, and a failed start has nothing left to guard.
    const HINSTANCE hResult = ShellExecuteW(nullptr, L"open", fileOrUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    m_heldFiles.Release(fileOrUrl);
    return static_cast<int32_t>(reinterpret_cast<INT_PTR>(hResult));
}

int32_t CWin32OsServices::ShellOpenAsUser(const std::wstring& fileOrUrl)
{
    const bool bUrl = PathIsURLW(fileOrUrl.c_str()) != FALSE;
    if (!bUrl) {
        // The shell would report a missing program in a box of its own, and
        // to us not at all.
        if (GetFileAttributesW(fileOrUrl.c_str()) == INVALID_FILE_ATTRIBUTES)
            return GetLastError() == ERROR_FILE_NOT_FOUND ? ShellOpenResult::FileNotFound
                                                          : ShellOpenResult::PathNotFound;
    }
    CComApartment apartment;
    if (m_bUseDesktopShell && apartment.IsUsable()) {
        const CDesktopShell::Outcome outcome = CDesktopShell::Open(fileOrUrl);
        if (outcome.m_bReached)
            return SUCCEEDED(outcome.m_hr) ? ShellOpenResult::Success : ShellOpenResult::AccessDenied;
    }
    // No shell to start it as the user: a page would open with our rights in
    // a browser, and a program runs with them only when no one else could
    // have put it there.
    if (bUrl)
        return ShellOpenResult::AccessDenied;
    return CAdminOnlyProgram::Start(fileOrUrl);
}

bool CWin32OsServices::IsFromPublisher(const std::wstring& program, const std::wstring& publisher)
{
    // Checked on the held file, so that what the shell starts is what was
    // checked; one that fails will not be started and need not stay held.
    const bool bSigned = m_heldFiles.Inspect(program, [&](void* hFile) {
        return CSignatureCheck::IsSignedBy(static_cast<HANDLE>(hFile), program, publisher);
    });
    if (!bSigned)
        m_heldFiles.Release(program);
    return bSigned;
}

bool CWin32OsServices::BrowseForFolder(const std::wstring& title, const std::wstring& startFolder, std::wstring& chosen)
{
    CComApartment apartment;
    if (!apartment.IsUsable())
        return false;
    BROWSEINFOW info{};
    info.hwndOwner = nullptr;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_EDITBOX;
    if (!startFolder.empty()) {
        info.lpfn = &BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());
    }
    PIDLIST_ABSOLUTE pItems = SHBrowseForFolderW(&info);
    if (!pItems)
        return false;
    wchar_t szPath[MAX_PATH] = {};
    const bool bHasPath = SHGetPathFromIDListW(pItems, szPath) != FALSE;
    CoTaskMemFree(pItems);
    std::wstring root;
    if (!bHasPath || !DriveRootOf(szPath, root))
        return false;
    chosen = szPath;
    return true;
}

DownloadResult CWin32OsServices::DownloadToFile(const std::wstring& url, const std::wstring& path,
                                                IDownloadProgress* pProgress)
{
    // The file of an earlier download is replaced, so no longer held.
    m_heldFiles.Release(path);
    if (!CUrlDownload::IsHttpsUrl(url))
        return DownloadResult::InvalidUrl;
    // Fetched into a folder that a standard user may have made and still
    // control, a program would be theirs to replace before it is started.
    if (!CAdminFolder::Claim(FolderOf(path)))
        return DownloadResult::FileError;
    const DownloadResult eResult = CUrlDownload(pProgress).Run(url, path);
    if (eResult != DownloadResult::Ok)
        return eResult;
    // Unheld, it could be swapped after the check that it arrived whole.
    return m_heldFiles.Hold(path) ? DownloadResult::Ok : DownloadResult::FileError;
}

bool CWin32OsServices::StartThread(std::function<void()> body)
{
    if (!body)
        return false;
    auto* pBody = new (std::nothrow) std::function<void()>(std::move(body));
    if (!pBody)
        return false;
    const uintptr_t hThread = _beginthreadex(nullptr, 0, &ThreadMain, pBody, 0, nullptr);
    if (hThread == 0) {
        delete pBody;
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(hThread));
    return true;
}

bool CWin32OsServices::RegEnsureKey(const std::wstring& key)
{
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | REGISTRY_VIEW,
                        nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

bool CWin32OsServices::RegKeyExists(const std::wstring& key)
{
    HKEY hKey = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | REGISTRY_VIEW, &hKey);
    if (status == ERROR_SUCCESS)
        RegCloseKey(hKey);
    // Refused access means the key is there.
    return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
}

bool CWin32OsServices::RegWriteValue(const std::wstring& key, const std::wstring& name, RegType type,
                                     const std::vector<uint8_t>& data)
{
    const KeyHandle hKey = OpenKey(key, KEY_ALL_ACCESS);
    if (!hKey)
        return false;
    return RegSetValueExW(hKey.get(), name.c_str(), 0, static_cast<DWORD>(type), data.empty() ? nullptr : data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool CWin32OsServices::RegReadValue(const std::wstring& key, const std::wstring& name, RegType& type,
                                    std::vector<uint8_t>& data)
{
    const KeyHandle hKey = OpenKey(key, KEY_READ);
    if (!hKey)
        return false;
    // Another process may grow the value between asking its size and reading
    // it, or write one as large as the registry allows: memory stays bounded.
    for (int nTry = 0; nTry < 4; ++nTry) {
        DWORD dwType = REG_NONE;
        DWORD cbData = 0;
        if (RegQueryValueExW(hKey.get(), name.c_str(), nullptr, &dwType, nullptr, &cbData) != ERROR_SUCCESS ||
            cbData > MAX_REG_VALUE_BYTES)
            return false;
        std::vector<uint8_t> buffer(cbData);
        const LSTATUS status = RegQueryValueExW(hKey.get(), name.c_str(), nullptr, &dwType,
                                                buffer.empty() ? nullptr : buffer.data(), &cbData);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS)
            return false;
        buffer.resize(cbData);
        type = static_cast<RegType>(dwType);
        data = std::move(buffer);
        return true;
    }
    return false;
}

bool CWin32OsServices::RegRemoveValue(const std::wstring& key, const std::wstring& name)
{
    const KeyHandle hKey = OpenKey(key, KEY_ALL_ACCESS);
    return hKey && RegDeleteValueW(hKey.get(), name.c_str()) == ERROR_SUCCESS;
}

IOsServices& PlatformOsServices()
{
    // Never destroyed: detached worker threads may still call in while the process exits.
    static CWin32OsServices* const s_pServices = new CWin32OsServices();
    return *s_pServices;
}
