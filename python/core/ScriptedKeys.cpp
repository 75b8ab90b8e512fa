// The keyboard of the module's copies of the match: the scripted table alone, which is all a match
// stepped from Python ever reads. It keeps the game's keyboard's whole interface (a reader can
// still be installed, and nullptr restores the table), but a key is looked up in the table
// directly rather than through a pointer to the reader: the match polls five keys a person at every
// tick, and with the copy's code optimized as one these lookups become plain loads.
#include "platform/Keyboard.h"

namespace {

alignas(64) bool ScriptedHeld[256]; // apart from the other copies' globals, as the match's record is
KeyReader Installed = nullptr;      // none: the scripted table

} // namespace

int16_t GetKeyState(int32_t VirtualKey) {
    const bool Held = Installed != nullptr ? Installed(VirtualKey)
                                           : VirtualKey >= 0 && VirtualKey < 256 && ScriptedHeld[VirtualKey];
    return Held ? int16_t(-128) : int16_t(0);
}

void SetKeyReader(KeyReader Reader) {
    Installed = Reader;
}

KeyReader CurrentKeyReader() {
    return Installed;
}

void SetScriptedKey(int32_t VirtualKey, bool Held) {
    if (VirtualKey >= 0 && VirtualKey < 256) {
        ScriptedHeld[VirtualKey] = Held;
    }
}

void ReleaseScriptedKeys() {
    for (bool &Held : ScriptedHeld) {
        Held = false;
    }
}
