// The keyboard as the game sees it: the state of one key at a time, by virtual-key code. The match
// polls it at every tick; nothing else about the keyboard reaches the game.
#pragma once

#include <cstdint>

// Virtual-key codes the game uses.
constexpr int32_t VK_BACK = 0x08;
constexpr int32_t VK_RETURN = 0x0D;
constexpr int32_t VK_ESCAPE = 0x1B;
constexpr int32_t VK_SPACE = 0x20;
constexpr int32_t VK_LEFT = 0x25;
constexpr int32_t VK_UP = 0x26;
constexpr int32_t VK_RIGHT = 0x27;
constexpr int32_t VK_DOWN = 0x28;
constexpr int32_t VK_A = 0x41;
constexpr int32_t VK_G = 0x47;
constexpr int32_t VK_J = 0x4A;
constexpr int32_t VK_M = 0x4D;
constexpr int32_t VK_N = 0x4E;
constexpr int32_t VK_Y = 0x59;
constexpr int32_t VK_Z = 0x5A;
constexpr int32_t VK_NUMPAD2 = 0x62;
constexpr int32_t VK_NUMPAD4 = 0x64;
constexpr int32_t VK_NUMPAD6 = 0x66;
constexpr int32_t VK_NUMPAD8 = 0x68;

// The 16-bit state of one key: 0xFF80 (-128) while it is held, 0 otherwise.
int16_t GetKeyState(int32_t VirtualKey);

// True when a GetKeyState result means "held".
inline bool KeyIsHeld(int16_t KeyState) {
    return KeyState == -128 || KeyState == -127;
}

// Where GetKeyState looks. By default it reads the scripted key table below (tests, the headless
// tool); the window backend installs a reader of the real keyboard.
using KeyReader = bool (*)(int32_t VirtualKey);
void SetKeyReader(KeyReader Reader); // nullptr restores the scripted table
KeyReader CurrentKeyReader();

// The scripted key table: which virtual keys (0 to 255) are held.
void SetScriptedKey(int32_t VirtualKey, bool Held);
void ReleaseScriptedKeys();
