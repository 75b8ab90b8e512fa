// The keyboard through SDL, in the game's virtual-key codes.
#pragma once

#include <SDL.h>

#include <cstdint>

// The virtual-key code of a pressed key, 0 for keys the game has no code for. Letters and digits go
// by the character the key types in the current layout; the keypad by the key's place.
int16_t VirtualKeyOf(const SDL_Keysym &Key);

// What GetKeyState reads while the game runs: held while the key, or the controller's control that
// stands for it, is held, as of the last events handled.
bool ReadSdlKey(int32_t VirtualKey);
