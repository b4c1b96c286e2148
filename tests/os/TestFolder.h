#pragma once

#include <string>

// A fresh folder under the temporary directory, removed with everything in it
// when the object goes away.
class CTestFolder
{
public:
    explicit CTestFolder(const std::string& base = "/tmp");
    ~CTestFolder();
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string operator/(const std::string& name) const { return m_strPath + "/" + name; }

    // Helpers for building trees.
    static void MakeFolders(const std::string& path);
    static void WriteFile(const std::string& path, const std::string& bytes);
    static std::string ReadFile(const std::string& path);
    static bool Exists(const std::string& path);

    // Waits up to `seconds` for a file to appear.
    static bool WaitForFile(const std::string& path, double seconds);

private:
    std::string m_strPath;
};
