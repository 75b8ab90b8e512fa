#include "platform/Png.h"

#include <SDL.h>
#include <SDL_image.h>

bool WritePng(const Surface &Picture, const std::string &Path, std::string &Error) {
    // Red in the lowest byte is ABGR8888 in SDL's words on a little-endian machine; the top byte
    // is unused, so the picture is written without an alpha channel.
    SDL_Surface *View = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t *>(Picture.Pixels.data()), Picture.Width, Picture.Height, 32,
        Picture.Width * static_cast<int>(sizeof(uint32_t)), SDL_PIXELFORMAT_XBGR8888);
    if (View == nullptr) {
        Error = SDL_GetError();
        return false;
    }
    const bool Written = IMG_SavePNG(View, Path.c_str()) == 0;
    if (!Written) {
        Error = IMG_GetError();
    }
    SDL_FreeSurface(View);
    return Written;
}
