#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Utf16.h"
#include "os/Download.h"

// What the installer needs from the operating system, in Windows terms: drive
// paths such as L"D:\\Apps\\Zelqa", drive kinds, the install record under
// HKEY_LOCAL_MACHINE, and so on. Each target provides one implementation;
// tests replace it with fakes.
//
// Method names echo the platform calls they stand for but never equal a name
// that <windows.h> turns into a macro (CreateDirectory, DeleteFile,
// RegSetValue...), so the Windows implementation can include both headers.
//
// Every method may be called from any thread at any time.

// Drive kinds, numbered as the Windows drive-type query numbers them.
enum class DriveKind : uint32_t
{
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// Registry value types, numbered as the platform registry numbers them.
enum class RegType : uint32_t
{
    None = 0,
    Sz = 1,
    ExpandSz = 2,
    Binary = 3,
    Dword = 4,
    MultiSz = 7,
    Qword = 11,
};

// Results of ShellOpen, modelled on the shell's open call: anything greater
// than 32 means the file or page was handed over.
namespace ShellOpenResult
{
constexpr int32_t OutOfResources = 0;
constexpr int32_t FileNotFound = 2;
constexpr int32_t PathNotFound = 3;
constexpr int32_t AccessDenied = 5;
constexpr int32_t OutOfMemory = 8;
constexpr int32_t BadFormat = 11;
constexpr int32_t NoAssociation = 31;
constexpr int32_t Success = 42;
} // namespace ShellOpenResult

// A path as the target's own file functions take it.
#if defined(_WIN32)
using NativePath = std::wstring;
#else
using NativePath = std::string;
#endif

class IOsServices
{
public:
    virtual ~IOsServices() = default;

    // --- Drives and locations ---

    // The current user's desktop folder as a drive path; false when it can't be had.
    virtual bool GetDesktopFolder(std::wstring& path) = 0;

    // The drive Windows runs from, as L"C:"; false when it can't be had.
    virtual bool GetSystemDrive(std::wstring& drive) = 0;

    // Kind of the drive named by the first two characters of `root` (L"D:" or
    // L"D:\\..."); NoRootDir when that is no drive letter or the drive is absent.
    virtual DriveKind GetDriveKind(const std::wstring& root) = 0;

    // Bytes free for the calling user on the drive of `root`; false when the query fails.
    virtual bool GetFreeBytesForCaller(const std::wstring& root, uint64_t& bytes) = 0;

    // The target's own name for a drive path (on Windows the path itself, on
    // POSIX a UTF-8 file name); false when the path is on no drive.
    virtual bool ToNativePath(const std::wstring& path, NativePath& native) = 0;

    // The drive path of a native path name; false when it lies outside every drive.
    virtual bool FromNativePath(const NativePath& native, std::wstring& path) = 0;

    // --- Files and folders (drive paths) ---

    // Creates one folder level. True when the folder exists afterwards, made
    // now or already there; false when it can't be made or a file has that name.
    virtual bool CreateFolder(const std::wstring& path) = 0;

    // Deletes a file (never a folder); true when it was deleted. A link there
    // is removed itself, never what it points to; on Windows, where this
    // program runs elevated, a path that passes a link fails.
    virtual bool RemoveFile(const std::wstring& path) = 0;

    // Makes the folder one install attempt downloads into; true when it is
    // ready for the download. Where this program runs with more rights than
    // whoever may have made the folder (elevated, on Windows), the folder is
    // made anew for every attempt and nothing found at its name is used
    // (CWin32OsServices says how); elsewhere it is made when missing, and the
    // download itself refuses a folder others may change.
    virtual bool PrepareDownloadFolder(const std::wstring& path) = 0;

    // True when the path names an existing folder.
    virtual bool IsDirectory(const std::wstring& path) = 0;

    // True when the path names an existing file that is not a folder.
    virtual bool FileExists(const std::wstring& path) = 0;

    // The integer of `key` in `section` of an INI file, read afresh, as the
    // platform's private-profile integer query reads it: names match in any
    // letter case; the value is parsed after leading blanks with an optional
    // sign and a 0x/0o/0b prefix up to the first character that is no digit,
    // so "57%" is 57 and "abc" is 0; a missing or unreadable file, section or
    // key, or an empty value, gives `defaultValue`. Only a regular file of at
    // most 64 KiB is read (on Windows never through a link); anything else
    // reads as missing.
    virtual int32_t ReadPrivateProfileInt(const std::wstring& section, const std::wstring& key, int32_t defaultValue,
                                          const std::wstring& file) = 0;

    // --- Programs and pages ---

    // Opens a drive path or a URL the way the shell's "open" verb does: a
    // program is started, a document or page goes to its handler. Returns a
    // value greater than 32 on success, else one of ShellOpenResult. Never
    // waits for a program it started, which keeps running after this process
    // ends; a page or document handed to its handler may wait a few seconds
    // for the handler's verdict, so that a handler that fails is a failure.
    virtual int32_t ShellOpen(const std::wstring& fileOrUrl) = 0;

    // ShellOpen for what the user, not this program, should run: the product
    // and web pages. They start as the signed-in user with normal rights,
    // never with this program's elevation. Where that can't be had, a program
    // is started as ShellOpen would start it only when nobody but the system
    // and its administrators could have changed it or its folder, and a page
    // or document is not opened (AccessDenied).
    virtual int32_t ShellOpenAsUser(const std::wstring& fileOrUrl) = 0;

    // True when the program at a drive path is signed by `publisher` (the
    // name its code-signing certificate was issued to) under a chain the
    // machine trusts, and unchanged since. On Windows: Authenticode, checked
    // on the file as held from then until ShellOpen starts it (a file that
    // fails is let go). Targets whose programs carry no signature (Linux)
    // answer true: there ShellOpen's own checks of owner and rights guard
    // what is started.
    virtual bool IsFromPublisher(const std::wstring& program, const std::wstring& publisher) = 0;

    // Lets the user pick a folder; true with its drive path when one on a drive
    // was chosen, false when cancelled or unavailable. Blocks until the picker
    // closes, so a window that must stay responsive calls it from a worker thread.
    virtual bool BrowseForFolder(const std::wstring& title, const std::wstring& startFolder, std::wstring& chosen) = 0;

    // --- Download ---

    // Fetches an https URL into the file at a drive path, reporting to
    // `pProgress` (may be null) on the calling thread. Every implementation
    // delivers:
    // - reports whose byte count never falls, so the bar's 0 to 89 only rises;
    //   a success ends with END_DOWNLOAD_DATA and progress == maximum == size;
    // - an HTTP error answer is HttpError, also where the platform would save
    //   the error page as the file;
    // - the body goes to a temporary name in the same folder and takes the
    //   final name only when complete: a failed or aborted transfer leaves no
    //   partial file, and leaves an older file of that name as it was;
    // - a connection that delivers no byte for 30 s ends as Stalled;
    // - an abort (IsAbortRequested, or a failure answer from OnProgress) ends
    //   the transfer within a second, its partial file removed on return.
    virtual DownloadResult DownloadToFile(const std::wstring& url, const std::wstring& path,
                                          IDownloadProgress* pProgress) = 0;

    // Loads what DownloadToFile needs, where the platform would otherwise load
    // it when the first download starts (tens of milliseconds), for a moment
    // the window is idle. On the calling thread: one of its own could still be
    // loading when the process exits. Safe beside a download under way. Where
    // the download's support loads with the program (urlmon), nothing to do.
    virtual void PrepareDownload() {}

    // --- Threads ---

    // Starts a detached thread running `body`; false when it can't be started
    // (`body` is then dropped unrun). Nothing waits for or joins the thread.
    virtual bool StartThread(std::function<void()> body) = 0;

    // --- Registry: keys are paths below HKEY_LOCAL_MACHINE ("Software\\brovix\\Zelqa") ---

    // Creates the key and its missing parents, or opens it; true when it exists afterwards.
    virtual bool RegEnsureKey(const std::wstring& key) = 0;

    // True when the key exists. Names match in any letter case.
    virtual bool RegKeyExists(const std::wstring& key) = 0;

    // Stores a value of the key (which must exist), replacing any value of that
    // name in one step; other readers see either the old or the new data. `data`
    // is kept byte for byte; a REG_SZ is UTF-16LE with its terminating zeros.
    virtual bool RegWriteValue(const std::wstring& key, const std::wstring& name, RegType type,
                               const std::vector<uint8_t>& data) = 0;

    // Reads a value afresh; false when the key or value is missing or unreadable.
    virtual bool RegReadValue(const std::wstring& key, const std::wstring& name, RegType& type,
                              std::vector<uint8_t>& data) = 0;

    // Removes a value; true when it was there and is gone.
    virtual bool RegRemoveValue(const std::wstring& key, const std::wstring& name) = 0;
};

// Stores `text` as a REG_SZ, laid out as EncodeRegSz lays it out.
inline bool RegSetString(IOsServices& os, const std::wstring& key, const std::wstring& name, const std::wstring& text,
                         size_t blockChars = 0)
{
    std::vector<uint8_t> data;
    return EncodeRegSz(text, blockChars, data) && os.RegWriteValue(key, name, RegType::Sz, data);
}

// Reads a REG_SZ or REG_EXPAND_SZ as the text up to its first zero
// character; false (and empty text) when missing or of another type.
inline bool RegGetString(IOsServices& os, const std::wstring& key, const std::wstring& name, std::wstring& text)
{
    text.clear();
    RegType type = RegType::None;
    std::vector<uint8_t> data;
    if (!os.RegReadValue(key, name, type, data) || (type != RegType::Sz && type != RegType::ExpandSz))
        return false;
    text = DecodeRegSz(data);
    return true;
}

// The process-wide services of the target the program was built for. They are
// never destroyed, so detached worker threads may use them until the process ends.
IOsServices& OsServices();

// The target's own services, made on first use (each target defines it).
IOsServices& PlatformOsServices();

// Replaces the process-wide services (tests); pass nullptr to restore the real ones.
void SetOsServicesForTesting(IOsServices* services);
