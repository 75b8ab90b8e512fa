// The same start-up as OwnMixerStartup.cpp through SDL2_mixer: the same effects, synthesized by the
// game's code and handed to SDL2_mixer as chunks, eight channels, one effect played.
#include <SDL.h>
#include <SDL_mixer.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "audio/Effects.h"

int main(int Argc, char **) {
    // With any argument the probe ends as soon as sound is ready: the start-up alone, as timed from outside.
    const bool ReadyOnly = Argc > 1;
    const auto Began = std::chrono::steady_clock::now();
    if (SDL_Init(SDL_INIT_AUDIO) != 0 || Mix_OpenAudio(SoundRate, AUDIO_S16SYS, 1, 512) != 0) {
        std::fprintf(stderr, "no sound: %s\n", SDL_GetError());
        return 1;
    }
    Mix_AllocateChannels(8);
    BuildEffects();
    std::vector<Mix_Chunk *> Chunks;
    for (int Index = 0; Index < EffectCount; ++Index) {
        const std::vector<int16_t> &Samples = EffectSamples(static_cast<SoundEffect>(Index));
        Chunks.push_back(Mix_QuickLoad_RAW(reinterpret_cast<Uint8 *>(const_cast<int16_t *>(Samples.data())),
                                           static_cast<Uint32>(Samples.size() * 2)));
    }
    const auto Ready = std::chrono::steady_clock::now();
    Mix_PlayChannel(-1, Chunks[static_cast<int>(SoundEffect::PointWon)], 0);
    if (!ReadyOnly) {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    for (Mix_Chunk *Chunk : Chunks) {
        Mix_FreeChunk(Chunk);
    }
    Mix_CloseAudio();
    SDL_Quit();
    std::printf("ready after %.2f ms\n", std::chrono::duration<double, std::milli>(Ready - Began).count());
    return 0;
}
