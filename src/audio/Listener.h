// Sound's listener: it turns what happens in a match into effects by comparing the game's state
// before and after each tick the player sees, and plays the menus' effects when they tell it what
// happened. It only reads the game's state; the match does not know it is heard.
#pragma once

#include <cstdint>

// Around each tick of a match that is shown: notes the state before it, then plays what changed.
// After-tick without a before-tick does nothing, so the match window may hear the last tick of a
// match early (before the title opens from inside that tick) without hearing it twice.
void ListenBeforeTick();
void ListenAfterTick();

// What happened in a menu.
enum class MenuSound {
    Move,   // the highlight or a cursor moved, or a held character changed sides
    Choice, // a choice was made or a line-up confirmed
    Take,   // a person took a character on the select screen
    Drop,   // ... or let it go
};
void ListenMenu(MenuSound Which);
