#include "platform/SoundSystem.h"

// The system's sound library says nothing on its own here: nothing to quieten.
void QuietSoundSystem() {}
void ReleaseSoundSystem() {}
