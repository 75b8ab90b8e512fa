// A room's code being typed: four letters of the server's alphabet under a cursor. Letters come
// from the keyboard; a controller, which has no letters, turns the letter under the cursor through
// the alphabet and moves the cursor. JOIN ROOM asks for a code with it, and so does any screen
// that names a room.
#pragma once

#include <cstdint>
#include <string>

class CodeEntry {
  public:
    enum class Result { Typing, Done, GaveUp };

    CodeEntry();

    // Takes one key as the window means it (a controller's d-pad as VK_GAMEPAD_DPAD_*):
    // - a letter of the alphabet goes under the cursor, which moves on; other letters are none;
    // - Backspace clears the letter before the cursor and moves back to it (the letter under the
    //   cursor when it stands on the last, filled place);
    // - up and down (the arrows, keypad 8 and 2, the d-pad) turn the letter under the cursor to
    //   the next or the previous of the alphabet; left and right (the arrows, keypad 4 and 6, the
    //   d-pad) move the cursor;
    // - Enter ends the typing once the four letters are there;
    // - Escape gives up.
    Result Key(int16_t KeyCode);

    // The letters so far, a space where none is yet.
    const std::string &Letters() const { return Typed; }
    int Cursor() const { return Place; }
    bool Complete() const { return Typed.find(' ') == std::string::npos; }

  private:
    void Turn(int Step);
    std::string Typed;
    int Place = 0;
};
