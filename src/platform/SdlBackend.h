// The game's window system: SDL2, used only to put finished surfaces on the screen through each
// window's own surface (no GPU renderer, no GL context) and to read the keyboard and the mouse.
#pragma once

#include <string>

class Backend;

// Opens the display and installs the real keyboard as what GetKeyState reads. Returns nullptr,
// with the reason in Error, when no display can be opened.
Backend *OpenSdlBackend(std::string &Error);
// Closes the display again.
void CloseSdlBackend();
