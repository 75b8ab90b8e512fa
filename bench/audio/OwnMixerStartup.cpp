// Start-up of the game's own sound: the effects synthesized, the mixer ready, the sound card open,
// one effect played. scripts/measure-audio runs it beside SdlMixerStartup.cpp, which does the same
// through SDL2_mixer, to compare peak memory and start-up time.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "audio/Sound.h"

int main(int Argc, char **) {
    // With any argument the probe ends as soon as sound is ready: the start-up alone, as timed from outside.
    const bool ReadyOnly = Argc > 1;
    const auto Began = std::chrono::steady_clock::now();
    std::string Error;
    if (!StartSound(nullptr, Error)) {
        std::fprintf(stderr, "no sound: %s\n", Error.c_str());
        return 1;
    }
    const auto Ready = std::chrono::steady_clock::now();
    PlayEffect(SoundEffect::PointWon);
    if (!ReadyOnly) {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    }
    StopSound();
    std::printf("ready after %.2f ms\n", std::chrono::duration<double, std::milli>(Ready - Began).count());
    return 0;
}
