#pragma once

#include "framework/WinApp.h"

// The application object: runs the installer window and ends with it.
class CZelqa_DownloaderApp : public CWinApp
{
public:
    BOOL InitInstance() override;
};

extern CZelqa_DownloaderApp theApp;
