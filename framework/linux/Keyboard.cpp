// Keyboard state on Linux, as the window system's input has reported it.
#include "framework/linux/Keyboard.h"

#include "framework/linux/SdlWindowBackend.h"

bool IsKeyDown(UINT vk)
{
    const UINT mods = CSdlWindowBackend::Get().Modifiers();
    if (vk == VK_SHIFT)
        return (mods & MK_SHIFT) != 0;
    if (vk == VK_CONTROL)
        return (mods & MK_CONTROL) != 0;
    return false;
}
