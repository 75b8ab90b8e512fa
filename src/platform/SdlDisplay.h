// The X11 side of an SDL window, kept apart because the X11 headers' names clash with the toolkit's.
#pragma once

struct SDL_Window;

// The file descriptor of the X display connection the window is on, or -1 when it is not on X11.
int DisplayConnection(SDL_Window *Window);
