// Keyboard state, clipboard and text input on Linux.
#include <SDL.h>

#include "common/Utf8.h"
#include "framework/linux/Clipboard.h"
#include "framework/linux/Keyboard.h"
#include "framework/linux/TextInput.h"
#include "framework/Wnd.h"
#include "framework/linux/WindowSystem.h"

bool IsKeyDown(UINT vk)
{
    const UINT mods = CWindowSystem::Get().Modifiers();
    if (vk == VK_SHIFT)
        return (mods & MK_SHIFT) != 0;
    if (vk == VK_CONTROL)
        return (mods & MK_CONTROL) != 0;
    return false;
}

bool SetClipboardText(const std::wstring& text)
{
    return CWindowSystem::Get().IsInitialised() && SDL_SetClipboardText(ToUtf8(text).c_str()) == 0;
}

bool GetClipboardText(std::wstring& text)
{
    if (!CWindowSystem::Get().IsInitialised() || !SDL_HasClipboardText())
        return false;
    char* utf8 = SDL_GetClipboardText();
    if (!utf8)
        return false;
    text = FromUtf8(utf8);
    SDL_free(utf8);
    return true;
}

void StartTextInput(CWnd* pWnd, const CRect& rcCaret)
{
    if (!CWindowSystem::Get().IsInitialised())
        return;
    CRect rc = rcCaret;
    if (pWnd && pWnd->m_hWnd) {
        CPoint origin = CWindowSystem::Get().OriginInTopLevel(pWnd->m_hWnd);
        rc.OffsetRect(origin.x, origin.y);
    }
    SDL_Rect sdlRect{rc.left, rc.top, rc.Width(), rc.Height()};
    SDL_SetTextInputRect(&sdlRect);
    SDL_StartTextInput();
}

void StopTextInput()
{
    if (CWindowSystem::Get().IsInitialised())
        SDL_StopTextInput();
}

bool IsTextInputActive()
{
    return CWindowSystem::Get().IsInitialised() && SDL_IsTextInputActive();
}
