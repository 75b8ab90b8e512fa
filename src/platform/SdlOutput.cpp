#include "platform/SdlScreen.h"

namespace {

int ShiftOf(uint32_t Mask) {
    int Shift = 0;
    while (Mask != 0 && (Mask & 1) == 0) {
        Mask >>= 1;
        ++Shift;
    }
    return Shift;
}

} // namespace

OutputPixels OutputOf(SDL_Surface *Screen) {
    OutputPixels Output;
    Output.Pixels = static_cast<uint8_t *>(Screen->pixels);
    Output.Width = Screen->w;
    Output.Height = Screen->h;
    Output.Pitch = Screen->pitch;
    Output.RedShift = ShiftOf(Screen->format->Rmask);
    Output.GreenShift = ShiftOf(Screen->format->Gmask);
    Output.BlueShift = ShiftOf(Screen->format->Bmask);
    return Output;
}
