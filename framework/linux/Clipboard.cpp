// The clipboard on Linux: SDL's, available once the window system runs.
#include "framework/linux/Clipboard.h"

#include <SDL.h>

#include "base/Utf8.h"
#include "framework/linux/SdlWindowBackend.h"

bool SetClipboardText(const std::wstring& text)
{
    return CSdlWindowBackend::Get().IsInitialised() && SDL_SetClipboardText(ToUtf8(text).c_str()) == 0;
}

bool GetClipboardText(std::wstring& text)
{
    if (!CSdlWindowBackend::Get().IsInitialised() || !SDL_HasClipboardText())
        return false;
    char* utf8 = SDL_GetClipboardText();
    if (!utf8)
        return false;
    text = FromUtf8(utf8);
    SDL_free(utf8);
    return true;
}
