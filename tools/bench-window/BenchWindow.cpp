// zelqa-bench-window: the yardstick for the installer's start-up. It does the
// least a window program built on the installer's libraries can do: an SDL2
// window of the installer's size, centred as the installer's is, one frame
// painted with cairo into the window's surface and presented, then nothing
// until it is closed or ended.
// usage: zelqa-bench-window [WIDTH HEIGHT]   (600 x 400 unless given)

#include <cstdio>
#include <cstdlib>

#include <SDL.h>
#include <cairo.h>

namespace
{
// The colour of the installer's filled pill, so one probe fits both programs.
constexpr double FILL_RED = 113 / 255.0;
constexpr double FILL_GREEN = 138 / 255.0;
constexpr double FILL_BLUE = 185 / 255.0;

bool PaintFrame(SDL_Window* pWindow)
{
    SDL_Surface* pSurface = SDL_GetWindowSurface(pWindow);
    if (!pSurface || SDL_LockSurface(pSurface) != 0)
        return false;
    // The window surface of a 24-bit X screen is 32-bit XRGB, which is what
    // cairo's RGB24 format is.
    cairo_surface_t* pCairoSurface = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(pSurface->pixels), CAIRO_FORMAT_RGB24, pSurface->w, pSurface->h, pSurface->pitch);
    cairo_t* pCr = cairo_create(pCairoSurface);
    cairo_set_source_rgb(pCr, FILL_RED, FILL_GREEN, FILL_BLUE);
    cairo_paint(pCr);
    cairo_destroy(pCr);
    cairo_surface_flush(pCairoSurface);
    cairo_surface_destroy(pCairoSurface);
    SDL_UnlockSurface(pSurface);
    return SDL_UpdateWindowSurface(pWindow) == 0;
}
} // namespace

int main(int argc, char** argv)
{
    const int nWidth = argc > 2 ? std::atoi(argv[1]) : 600;
    const int nHeight = argc > 2 ? std::atoi(argv[2]) : 400;
    if (nWidth <= 0 || nHeight <= 0) {
        std::fputs("usage: zelqa-bench-window [WIDTH HEIGHT]\n", stderr);
        return 2;
    }
    // The installer's own window surface path: without this hint SDL puts a
    // GL renderer behind the surface, and the yardstick would measure that.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "zelqa-bench-window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* pWindow = SDL_CreateWindow("zelqa-bench-window", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, nWidth,
                                           nHeight, SDL_WINDOW_BORDERLESS);
    if (!pWindow || !PaintFrame(pWindow)) {
        std::fprintf(stderr, "zelqa-bench-window: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_Event event;
    while (SDL_WaitEvent(&event)) {
        if (event.type == SDL_QUIT)
            break;
        // Uncovered parts come back with the frame presented again.
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED)
            SDL_UpdateWindowSurface(pWindow);
    }
    SDL_DestroyWindow(pWindow);
    SDL_Quit();
    return 0;
}
