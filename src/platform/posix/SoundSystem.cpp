#include "platform/SoundSystem.h"

#include <dlfcn.h>

namespace {

// ALSA's library writes a screenful of errors to standard error when the machine has no sound
// card, before SDL can say so in one line. Its messages go nowhere while the game's sound opens;
// SDL's own report of the failure is what the player sees.
void *Alsa = nullptr;

void SilentAlsa(const char *, int, const char *, int, const char *, ...) {}

} // namespace

void QuietSoundSystem() {
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    using SetHandler = int (*)(Handler);
    Alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (Alsa == nullptr) {
        return;
    }
    if (auto Set = reinterpret_cast<SetHandler>(dlsym(Alsa, "snd_lib_error_set_handler"))) {
        Set(SilentAlsa);
    }
}

void ReleaseSoundSystem() {
    if (Alsa != nullptr) {
        dlclose(Alsa);
        Alsa = nullptr;
    }
}
