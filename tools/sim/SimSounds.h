// The sounds the tool can write: every effect as a WAV file of its own, and the sound of the
// simulated run, heard by the game's own listener and mixed by its own mixer, one tick per 33 ms.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

class SimSounds {
  public:
    // With --audio: opens the file (creating its folders), ready for the run's sound.
    explicit SimSounds(const std::string &AudioPath);
    // Writes each effect as a 16-bit mono WAV named after it, creating the folder when missing.
    static void WriteEffects(const std::string &Dir);

    // Around each tick of the run.
    void BeforeTick();
    void AfterTick(int64_t Tick);
    // The effects still sounding play out to their end, and the file is completed.
    void Finish();

  private:
    void Append(size_t Count);

    std::string Path;
    std::ofstream File;
    uint64_t Written = 0;
};
