#include "platform/Keyboard.h"

namespace {

bool ScriptedHeld[256];

bool ReadScriptedKey(int32_t VirtualKey) {
    return VirtualKey >= 0 && VirtualKey < 256 && ScriptedHeld[VirtualKey];
}

KeyReader CurrentReader = ReadScriptedKey;

} // namespace

int16_t GetKeyState(int32_t VirtualKey) {
    return CurrentReader(VirtualKey) ? int16_t(-128) : int16_t(0);
}

void SetKeyReader(KeyReader Reader) {
    CurrentReader = Reader != nullptr ? Reader : ReadScriptedKey;
}

KeyReader CurrentKeyReader() {
    return CurrentReader;
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
