#pragma once

#include <string>
#include <vector>

// A fresh folder under the user's temporary folder, removed with everything
// in it when the object goes away.
class CWinTestFolder
{
public:
    CWinTestFolder();
    ~CWinTestFolder();
    CWinTestFolder(const CWinTestFolder&) = delete;
    CWinTestFolder& operator=(const CWinTestFolder&) = delete;

    const std::wstring& Path() const { return m_strPath; }
    std::wstring operator/(const std::wstring& name) const { return m_strPath + L"\\" + name; }
    // Names of what the folder holds.
    std::vector<std::wstring> Entries() const;

    static bool WriteFile(const std::wstring& path, const std::string& bytes);
    static std::string ReadFile(const std::wstring& path);
    static void RemoveTree(const std::wstring& path);

private:
    std::wstring m_strPath;
};
