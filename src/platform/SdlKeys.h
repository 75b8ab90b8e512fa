// The keyboard through SDL, in the game's virtual-key codes.
#pragma once

#include <SDL.h>

#include <cstdint>

// The virtual-key code of a pressed key, 0 for keys the game has no code for. Every key goes by its
// place on the keyboard (its scancode), never by what it types: the letter keys of the first person
// sit around H on any layout, and 'Y' is the key where Y is on a US keyboard (Z on a German one).
int16_t VirtualKeyOf(const SDL_Keysym &Key);

// What GetKeyState reads while the game runs: held while the key at that place, or the controller's
// control that stands for it, is held, as of the last events handled.
bool ReadSdlKey(int32_t VirtualKey);
