// A bare SDL2 window of the game's size, shown the way the game shows its pictures (a window surface,
// no accelerated renderer), that only waits for events: the floor the game's start-up time and
// memory are compared with (bench/measure/startup).
#include <SDL.h>

int main(int argc, char **argv) {
    (void)argc;
    (void)argv;
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    SDL_Window *Window = SDL_CreateWindow("bare", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 480, 360, 0);
    SDL_Surface *Screen = Window != NULL ? SDL_GetWindowSurface(Window) : NULL;
    if (Screen == NULL) {
        return 1;
    }
    SDL_FillRect(Screen, NULL, 0);
    SDL_UpdateWindowSurface(Window);
    for (SDL_Event Event; SDL_WaitEvent(&Event) && Event.type != SDL_QUIT;) {
        SDL_UpdateWindowSurface(Window);
    }
    SDL_Quit();
    return 0;
}
