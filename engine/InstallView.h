#pragma once

#include <cstdint>
#include <string>

// What the install engine needs of the installer window.
class IInstallView
{
public:
    virtual ~IInstallView() = default;

    // Window thread only.
    virtual std::wstring GetLocationText() = 0;
    virtual void ShowNotice(const std::wstring& text) = 0;
    virtual void SetInstallDir(const std::wstring& dir) = 0;

    // Any thread: the window carries them out on its own thread.
    virtual void SetProgressPos(int64_t nPos) = 0;
    virtual void ShowProgressPage() = 0;
    virtual void ShowFailureState() = 0;
    virtual void ShowFinishPage() = 0;
};
