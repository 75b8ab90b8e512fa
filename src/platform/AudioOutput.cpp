#include "platform/AudioOutput.h"

#include <SDL.h>

#include "platform/SoundSystem.h"

namespace {

SDL_AudioDeviceID Device = 0;
AudioFill Filler = nullptr;

// A short buffer keeps what is heard close to what is seen: 512 samples are about 23 ms at
// 22050 a second, less than one tick of a match.
constexpr Uint16 BufferSamples = 512;

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
