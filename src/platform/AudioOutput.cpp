#include "platform/AudioOutput.h"

#include <SDL.h>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#define ZORBUMP_QUIET_ALSA 1
#endif

namespace {

SDL_AudioDeviceID Device = 0;
AudioFill Filler = nullptr;

// A short buffer keeps what is heard close to what is seen: 512 samples are about 23 ms at
// 22050 a second, less than one tick of a match.
constexpr Uint16 BufferSamples = 512;

#if ZORBUMP_QUIET_ALSA
// ALSA's library writes a screenful of errors to standard error when the machine has no sound
// card, before SDL can say so in one line. Its messages go nowhere while the game's sound opens;
// SDL's own report of the failure is what the player sees.
void *Alsa = nullptr;

void SilentAlsa(const char *, int, const char *, int, const char *, ...) {}

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
#else
void QuietSoundSystem() {}
void ReleaseSoundSystem() {}
#endif

void SDLCALL Pull(void *, Uint8 *Stream, int Bytes) {
    Filler(reinterpret_cast<int16_t *>(Stream), static_cast<size_t>(Bytes) / sizeof(int16_t));
}

} // namespace

bool OpenAudioOutput(int32_t SampleRate, AudioFill Fill, const char *Driver, std::string &Error) {
    Error.clear();
    if (Device != 0) {
        return true;
    }
    if (Driver != nullptr) {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, Driver);
    }
    QuietSoundSystem();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        Error = SDL_GetError();
        ReleaseSoundSystem();
        return false;
    }
    SDL_AudioSpec Wanted{};
    Wanted.freq = SampleRate;
    Wanted.format = AUDIO_S16SYS;
    Wanted.channels = 1;
    Wanted.samples = BufferSamples;
    Wanted.callback = Pull;
    Filler = Fill;
    // No changes allowed: SDL converts to whatever the device takes, so the fill function always
    // sees mono 16-bit samples at the game's rate.
    SDL_AudioSpec Got{};
    Device = SDL_OpenAudioDevice(nullptr, 0, &Wanted, &Got, 0);
    if (Device == 0) {
        Error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        ReleaseSoundSystem();
        Filler = nullptr;
        return false;
    }
    SDL_PauseAudioDevice(Device, 0);
    return true;
}

void CloseAudioOutput() {
    if (Device == 0) {
        return;
    }
    SDL_CloseAudioDevice(Device);
    Device = 0;
    Filler = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    ReleaseSoundSystem();
}

bool AudioOutputOpen() {
    return Device != 0;
}

void LockAudioOutput() {
    if (Device != 0) {
        SDL_LockAudioDevice(Device);
    }
}

void UnlockAudioOutput() {
    if (Device != 0) {
        SDL_UnlockAudioDevice(Device);
    }
}
