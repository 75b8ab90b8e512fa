// The game's window system: SDL2, used only to put finished surfaces on the screen through each
// window's own surface (no GPU renderer, no GL context) and to read the keyboard and the mouse.
#pragma once

#include <string>

#include "platform/DisplayOptions.h"

class Backend;

// Opens the display and installs the real keyboard as what GetKeyState reads. Returns nullptr,
// with the reason in Error, when no display can be opened.
// The windows open at the options' scale and full screen; F11 and Alt+Enter toggle full screen.
Backend *OpenSdlBackend(const DisplayOptions &Options, std::string &Error);
Backend *OpenSdlBackend(std::string &Error); // the largest scale that fits, in a window
// Closes the display again.
void CloseSdlBackend();
