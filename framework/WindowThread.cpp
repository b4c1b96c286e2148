// The portable part of reaching the window thread, over the backend's Post.
#include "framework/WindowThread.h"

void WindowThread::Run(std::function<void()> task)
{
    if (IsCurrent())
        task();
    else
        Post(std::move(task));
}
