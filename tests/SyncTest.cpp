// Rolling back and replaying: randomized matches in which every tick is rolled back by 1 to 10 ticks
// and played again from the saved match, with the same keys. The trace of every tick, every field
// and every random draw, and every drawn frame, must equal the plain run's: a snapshot that left
// anything out would show here.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "assets/Pictures.h"
#include "match/Trace.h"

namespace {

constexpr int Matches = 5;
constexpr int TicksPerMatch = 700;
constexpr int32_t AllKeys[] = {VK_Y,       VK_N,       VK_G,       VK_J,       VK_Z,
                               VK_NUMPAD8, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6, VK_UP};

struct Played {
    std::vector<std::string> Trace; // the line after each tick, tick 1 first
    std::vector<uint64_t> Frames;   // a hash of the screen after each tick
};

// One to three characters a side, people on some of them.
void RandomLineup(std::mt19937 &Gen) {
    ClearGameState();
    ReleaseScriptedKeys();
    for (int I = 0; I < 4; ++I) {
        Gl_Players[I].Side = I == 0 ? 0 : I == 1 ? 1 : std::uniform_int_distribution<int>(0, 1)(Gen);
        Gl_Players[I].Control = ComputerControl;
        Gl_Players[I].KeySet = -1;
    }
    int Slots[2] = {0, 0};
    for (int I = 0; I < 4; ++I) {
        const int Side = Gl_Players[I].Side;
        Gl_Players[I].Slot = Slots[Side]++;
        Gl_Teams[Side].Members = Gl_Teams[Side].Members + 1;
    }
    const int People = std::uniform_int_distribution<int>(0, 2)(Gen);
    for (int Person = 0; Person < People; ++Person) {
        GiveToPerson(Person, Person);
    }
}

uint64_t Hash(const Surface &Screen) {
    uint64_t H = 1469598103934665603ULL;
    for (uint32_t Pixel : Screen.Pixels) {
        H = (H ^ Pixel) * 1099511628211ULL;
    }
    return H;
}

void Tick(const std::vector<std::vector<int32_t>> &Keys, size_t Index) {
    ReleaseScriptedKeys();
    for (int32_t Key : Keys[Index]) {
        SetScriptedKey(Key, true);
    }
    MarkDraws();
    TickMatch();
}

} // namespace

TEST(SyncTest, EveryTickRolledBackAndReplayedLeavesTheSameTraceAndFrames) {
    Surface Screen(480, 360);
    const Typ_Pictures &Pictures = GetPictures();
    std::mt19937 Gen(1208);
    for (int Match = 0; Match < Matches; ++Match) {
        // The keys of every tick, chosen beforehand so that a replay holds the very same ones.
        std::vector<std::vector<int32_t>> Keys(TicksPerMatch);
        for (auto &Held : Keys) {
            for (int32_t Key : AllKeys) {
                if (std::uniform_int_distribution<int>(0, 3)(Gen) == 0) {
                    Held.push_back(Key);
                }
            }
        }
        const uint64_t Seed = Gen();
        std::mt19937 LineupGen(static_cast<uint32_t>(Seed));
        auto Start = [&] {
            RandomLineup(LineupGen);
            SeedRnd(Seed);
            Gl_Canvas = Typ_MatchCanvas{
                &Screen, &Pictures.Pic_Tumbler, &Pictures.Pic_Ball, &Pictures.Pic_Kouka, &Pictures.Pic_Back,
                nullptr};
            StartMatch();
        };

        // The plain run.
        LineupGen.seed(static_cast<uint32_t>(Seed));
        Start();
        Played Plain;
        for (size_t I = 0; I < Keys.size() && Gl_ServeSide != MatchOver; ++I) {
            Tick(Keys, I);
            Plain.Trace.push_back(TraceLine(static_cast<int64_t>(I + 1)));
            Plain.Frames.push_back(Hash(Screen));
        }

        // The same match, each tick followed by a rollback of 1 to 10 ticks and a replay.
        LineupGen.seed(static_cast<uint32_t>(Seed));
        Start();
        std::vector<Typ_MatchSnapshot> Saved(Plain.Trace.size() + 1);
        for (size_t I = 0; I < Plain.Trace.size(); ++I) {
            SaveMatch(Saved[I]);
            Tick(Keys, I);
            const size_t Back = std::min<size_t>(I + 1, std::uniform_int_distribution<size_t>(1, 10)(Gen));
            RestoreMatch(Saved[I + 1 - Back]);
            for (size_t Again = I + 1 - Back; Again <= I; ++Again) {
                SaveMatch(Saved[Again]);
                Tick(Keys, Again);
                ASSERT_EQ(TraceLine(static_cast<int64_t>(Again + 1)), Plain.Trace[Again])
                    << "match " << Match << ", tick " << Again + 1 << " replayed after a rollback of "
                    << Back;
            }
            // The frame the player sees after the replay is the one the plain run drew.
            ASSERT_EQ(Hash(Screen), Plain.Frames[I]) << "match " << Match << ", frame " << I + 1;
        }
    }
    Gl_Canvas = Typ_MatchCanvas{};
}
