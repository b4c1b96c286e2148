#pragma once

#include <functional>

// True on the thread that runs the windows.
bool IsUiThread();

// Runs `task` on the window thread at its next turn (at once when called there
// with bRunNowIfOnUiThread). Safe from any thread.
void RunOnUiThread(std::function<void()> task, bool bRunNowIfOnUiThread = true);
