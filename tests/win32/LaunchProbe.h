#pragma once

#include <string>

// The launch probe (zelqa-launch-probe.exe, built beside the test programs)
// and the marker file it writes when started.
class CLaunchProbe
{
public:
    // `markerFolder` receives the marker file.
    explicit CLaunchProbe(const std::wstring& markerFolder);
    ~CLaunchProbe();
    CLaunchProbe(const CLaunchProbe&) = delete;
    CLaunchProbe& operator=(const CLaunchProbe&) = delete;

    // The probe program beside this test program; empty when missing.
    static std::wstring ProgramPath();
    // True once a started probe has written its marker, waiting up to 10 s.
    bool WaitUntilStarted() const;

private:
    std::wstring m_strMarker;
};

// Repeats DeleteFileW for up to 10 s: a program that has just run may keep its
// file a moment longer. True when the file was deleted.
bool DeleteFileWhenFree(const std::wstring& path);
