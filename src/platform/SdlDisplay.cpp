#include "platform/SdlDisplay.h"

#include <SDL.h>
#include <SDL_syswm.h>

int DisplayConnection(SDL_Window *Window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo Info;
    SDL_VERSION(&Info.version);
    if (SDL_GetWindowWMInfo(Window, &Info) == SDL_TRUE && Info.subsystem == SDL_SYSWM_X11) {
        return ConnectionNumber(Info.info.x11.display);
    }
#else
    (void)Window;
#endif
    return -1;
}
