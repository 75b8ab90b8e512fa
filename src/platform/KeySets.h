// The two people's key sets, the one table of them: the letter keys for the first person, the
// keypad (with the up arrow to hit) for the second. A match's controls, the controllers, the
// network's input bits, the select screen and the build's fingerprint all read their keys here.
#pragma once

#include <cstdint>

#include "platform/Keyboard.h"

// A set's five keys, in this order everywhere: a controller's buttons and the bits of an online
// input message are numbered by it.
namespace KeyRole {
enum : int { Up, Down, Left, Right, Hit, Count };
}

constexpr int32_t KeySets[2][KeyRole::Count] = {
    {VK_Y, VK_N, VK_G, VK_J, VK_Z},
    {VK_NUMPAD8, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6, VK_UP},
};
