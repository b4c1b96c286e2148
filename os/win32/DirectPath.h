#pragma once

#include <cstddef>
#include <string>

// Files reached without passing a link: every folder on the way from the
// drive's root is opened as itself (a junction or symbolic link there is
// refused, never followed) and held against renaming until the file has been
// dealt with, so the path cannot be bent elsewhere half-way. For the files
// an elevated program reads and deletes in a folder others may have shaped.
class CDirectPath
{
public:
    // The whole of a regular file of at most nMaxBytes at strPath (a drive
    // path). False, with `bytes` empty, when the file there was not reached
    // without a link (the very file read last through the walk counts as
    // reached, whatever way the path takes now: a polled file is walked to
    // once, not at every read), is itself a link, a folder or no disk file,
    // can't be read, or is larger.
    static bool ReadRegularFile(const std::wstring& strPath, size_t nMaxBytes, std::string& bytes);

    // Deletes the file at strPath (a drive path): never a folder, and a link
    // there is itself removed, never what it points to. False, with nothing
    // deleted, when the path passes a link or the file can't be deleted.
    static bool RemoveFile(const std::wstring& strPath);
};
