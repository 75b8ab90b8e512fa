#include "tools/sim/SimSounds.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "audio/Listener.h"
#include "audio/Sound.h"

namespace {

// The match's tick, as its timer runs it.
constexpr int64_t TickMillis = 33;
// A WAV's sizes are 32-bit: a run longer than this (about 27 hours of sound) is cut off.
constexpr uint64_t MostSamples = (0xFFFFFFFFull - 36) / 2;

[[noreturn]] void Fail(const std::string &Message) {
    std::fprintf(stderr, "zorbump-sim: %s\n", Message.c_str());
    std::exit(2);
}

void MakeFolder(const std::filesystem::path &Dir, const char *Option) {
    if (Dir.empty()) {
        return;
    }
    std::error_code Error;
    std::filesystem::create_directories(Dir, Error);
    if (Error || !std::filesystem::is_directory(Dir)) {
        Fail(std::string(Option) + " folder '" + Dir.string() +
             "' cannot be made: " + (Error ? Error.message() : "it is not a folder"));
    }
}

void PutLittle(std::ostream &Out, uint32_t Value, int Bytes) {
    for (int Byte = 0; Byte < Bytes; ++Byte) {
        Out.put(static_cast<char>((Value >> (8 * Byte)) & 0xFF));
    }
}

// The 44 bytes before the samples of a 16-bit mono PCM WAV.
void PutHeader(std::ostream &Out, uint64_t Samples) {
    const uint32_t DataBytes = static_cast<uint32_t>(Samples * 2);
    Out.write("RIFF", 4);
    PutLittle(Out, 36 + DataBytes, 4);
    Out.write("WAVEfmt ", 8);
    PutLittle(Out, 16, 4);
    PutLittle(Out, 1, 2); // plain PCM
    PutLittle(Out, 1, 2); // one channel
    PutLittle(Out, SoundRate, 4);
    PutLittle(Out, SoundRate * 2, 4);
    PutLittle(Out, 2, 2);
    PutLittle(Out, 16, 2);
    Out.write("data", 4);
    PutLittle(Out, DataBytes, 4);
}

void PutSamples(std::ostream &Out, const int16_t *Samples, size_t Count) {
    for (size_t I = 0; I < Count; ++I) {
        PutLittle(Out, static_cast<uint16_t>(Samples[I]), 2);
    }
}

// Samples from the start of the run to the end of tick Tick, so the ticks' rounding never adds up.
uint64_t SamplesUpTo(int64_t Tick) {
    return static_cast<uint64_t>(Tick) * TickMillis * SoundRate / 1000;
}

} // namespace

SimSounds::SimSounds(const std::string &AudioPath) : Path(AudioPath) {
    if (Path.empty()) {
        return;
    }
    MakeFolder(std::filesystem::path(Path).parent_path(), "--audio");
    File.open(Path, std::ios::binary | std::ios::trunc);
    if (!File) {
        Fail("cannot write '" + Path + "'");
    }
    BuildEffects();
    PutHeader(File, 0);
}

void SimSounds::WriteEffects(const std::string &Dir) {
    MakeFolder(Dir, "--sounds");
    for (int Index = 0; Index < EffectCount; ++Index) {
        const SoundEffect Which = static_cast<SoundEffect>(Index);
        const std::vector<int16_t> &Samples = EffectSamples(Which);
        const std::string Name = Dir + "/" + EffectName(Which) + ".wav";
        std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
        PutHeader(Out, Samples.size());
        PutSamples(Out, Samples.data(), Samples.size());
        if (!Out) {
            Fail("cannot write '" + Name + "'");
        }
    }
}

void SimSounds::BeforeTick() {
    if (!Path.empty()) {
        ListenBeforeTick();
    }
}

void SimSounds::AfterTick(int64_t Tick) {
    if (Path.empty()) {
        return;
    }
    ListenAfterTick();
    Append(static_cast<size_t>(SamplesUpTo(Tick) - Written));
}

void SimSounds::Finish() {
    if (Path.empty()) {
        return;
    }
    while (SoundPlaying() && Written < MostSamples) {
        Append(1024);
    }
    File.seekp(0);
    PutHeader(File, Written);
    File.close();
    if (!File) {
        Fail("cannot write '" + Path + "'");
    }
}

void SimSounds::Append(size_t Count) {
    if (Written + Count > MostSamples) {
        Count = static_cast<size_t>(MostSamples - Written);
    }
    std::vector<int16_t> Mix(Count);
    MixSound(Mix.data(), Count);
    PutSamples(File, Mix.data(), Count);
    Written += Count;
}
