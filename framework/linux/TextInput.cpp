// Text input on Linux: SDL's, with the candidate window placed at the caret.
#include "framework/linux/TextInput.h"

#include <SDL.h>

#include "framework/Wnd.h"
#include "framework/linux/SdlWindowBackend.h"

void StartTextInput(CWnd* pWnd, const CRect& rcCaret)
{
    if (!CSdlWindowBackend::Get().IsInitialised())
        return;
    CRect rc = rcCaret;
    if (pWnd && pWnd->m_hWnd) {
        CPoint origin = CSdlWindowBackend::Get().OriginInTopLevel(pWnd->m_hWnd);
        rc.OffsetRect(origin.x, origin.y);
    }
    SDL_Rect sdlRect{rc.left, rc.top, rc.Width(), rc.Height()};
    SDL_SetTextInputRect(&sdlRect);
    SDL_StartTextInput();
}

void StopTextInput()
{
    if (CSdlWindowBackend::Get().IsInitialised())
        SDL_StopTextInput();
}

bool IsTextInputActive()
{
    return CSdlWindowBackend::Get().IsInitialised() && SDL_IsTextInputActive();
}
