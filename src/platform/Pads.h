// Game controllers, through SDL's game controller API and its built-in mapping database. A controller
// is another hand on the keyboard: the first one connected holds the first person's keys (Y N G J Z),
// the second the second person's (keypad 8 2 4 6 and the up arrow). The game cannot tell a held
// button from a held key.
#pragma once

#include <cstdint>

union SDL_Event;

// Windows' own codes for a pad's menu and face buttons. A window chooses what they mean to it
// (Form::SetPadKeys); the key states never hold them.
constexpr int16_t VK_GAMEPAD_A = 0xC3;
constexpr int16_t VK_GAMEPAD_MENU = 0xCF;
constexpr int16_t VK_GAMEPAD_DPAD_UP = 0xCB;
constexpr int16_t VK_GAMEPAD_DPAD_DOWN = 0xCC;
constexpr int16_t VK_GAMEPAD_DPAD_LEFT = 0xCD;
constexpr int16_t VK_GAMEPAD_DPAD_RIGHT = 0xCE;

// What a controller's press of a person's key is as the controller's own: a direction as
// VK_GAMEPAD_DPAD_*, the hit key as 0 (the face button comes as VK_GAMEPAD_A too), anything
// else unchanged.
int16_t PadDirection(int16_t PersonKey);

// Starts listening for controllers (those already connected arrive as events).
void OpenPads();
void ClosePads();

// Takes one SDL event. Returns the virtual key a press on a controller stands for, 0 for none.
int16_t HandlePadEvent(const SDL_Event &Raw);

// True while a connected controller holds the control that stands for this key.
bool PadHolds(int32_t VirtualKey);

// Lets go of everything every controller holds (the window lost the focus); a control still held
// counts again only once it is pressed anew.
void ReleasePads();

// How long the event wait may sleep at most, in microseconds, so that controllers (which SDL reads
// only when it pumps its events) are seen promptly, and newly plugged ones are noticed; -1 for no
// limit.
int64_t PadWaitLimit();

// How many controllers play now (0 to 2).
int PadsPlaying();
