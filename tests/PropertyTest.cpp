// Randomized matches: random line-ups, random people holding random keys, every field checked at
// every tick against the range its meaning allows. Run under the sanitizers as well, this is where
// arithmetic that leaves a field's width would show.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "TestHelpers.h"

namespace {

constexpr int Matches = 300;
constexpr int TickCap = 20000;

const int32_t AllKeys[] = {VK_Y,       VK_N,       VK_G,       VK_J,       VK_Z,
                           VK_NUMPAD8, VK_NUMPAD2, VK_NUMPAD4, VK_NUMPAD6, VK_UP};

// A line-up the select screen can make: one to three characters a side, distinct slots.
void RandomLineup(std::mt19937 &Gen) {
    std::uniform_int_distribution<int> Coin(0, 1);
    int Sides[4];
    int Count[2];
    do {
        Count[0] = Count[1] = 0;
        for (int &Side : Sides) {
            Side = Coin(Gen);
            Count[Side]++;
        }
    } while (Count[0] == 0 || Count[1] == 0);
    int NextSlot[2] = {0, 0};
    ClearGameState();
    ReleaseScriptedKeys();
    for (int I = 0; I < 4; ++I) {
        Typ_Player &P = Gl_Players[I];
        P.Side = Sides[I];
        P.Slot = NextSlot[Sides[I]]++;
        P.Control = ComputerControl;
        P.KeySet = -1;
    }
    Gl_Teams[0].Members = Count[0];
    Gl_Teams[1].Members = Count[1];
    // Zero, one or two people.
    std::vector<int> Order = {0, 1, 2, 3};
    std::shuffle(Order.begin(), Order.end(), Gen);
    const int People = std::uniform_int_distribution<int>(0, 2)(Gen);
    for (int Person = 0; Person < People; ++Person) {
        GiveToPerson(Order[Person], Person);
    }
}

std::string CheckInvariants(int64_t Tick) {
    auto Fail = [&](const std::string &What) { return "tick " + std::to_string(Tick) + ": " + What; };
    for (int I = 0; I < 4; ++I) {
        const Typ_Player &P = Gl_Players[I];
        const std::string Who = "character " + std::to_string(I) + " ";
        if (P.Side == 0 ? (P.X < 0 || P.X > 208) : (P.X < 240 || P.X > 448)) {
            return Fail(Who + "X " + std::to_string(P.X) + " outside its half");
        }
        if (P.Y > 265 || P.Y < -200) {
            return Fail(Who + "Y " + std::to_string(P.Y));
        }
        if (P.Power < 0 || P.Power > 100 || P.State < 1 || P.State > 11) {
            return Fail(Who + "power or state");
        }
        if (P.AnimFrame < 0 || P.AnimFrame > 1 || P.Spent < 0 || P.Spent > 1) {
            return Fail(Who + "toggle");
        }
        for (int64_t Flag :
             {int64_t(P.InUp), int64_t(P.InDown), int64_t(P.InBack), int64_t(P.InFront), int64_t(P.InHit)}) {
            if (Flag != 0 && Flag != -1) {
                return Fail(Who + "input flag");
            }
        }
        if ((P.ComboBack != 1 && P.ComboBack != 2) || (P.ComboFront != 1 && P.ComboFront != 2)) {
            return Fail(Who + "command stage");
        }
        if (P.FlashCount < 0 || P.FlashCount > 100) {
            return Fail(Who + "flash count");
        }
        // Off the floor a character never falls faster than from the top of a super move. On the
        // floor a spin started right after a landing carries the landing speed on, and chained
        // spins keep adding to it; the floor holds the character, so that speed never shows.
        if (P.VX < -12 || P.VX > 12 || P.VY > 24 || (P.Y < 265 && P.VY < -60)) {
            return Fail(Who + "speed " + std::to_string(P.VX) + "," + std::to_string(P.VY));
        }
        bool CountersOk = true;
        switch (P.State) {
        case Swing:
        case Spike:
            CountersOk = P.Tick >= 0 && P.Tick <= 10;
            break;
        case Dive:
            CountersOk = P.Tick >= 0 && P.Tick <= 12;
            break;
        case KnockedBack:
            CountersOk = P.Phase >= 1 && P.Phase <= 3;
            break;
        case Recovering:
            CountersOk = P.Tick >= 0 && P.Tick <= 25 && P.Phase >= 1 && P.Phase <= 3;
            break;
        case Charging:
            CountersOk = P.Tick >= 0 && P.Tick <= 2;
            break;
        case Spin:
            CountersOk = P.Tick2 >= 0 && P.Tick2 <= 13;
            break;
        case SuperMove:
            CountersOk = P.Phase >= 0 && P.Phase <= 2 && P.Tick2 >= 0 && P.Tick2 <= (P.Phase == 1 ? 29 : 13);
            break;
        default:
            break;
        }
        if (!CountersOk) {
            return Fail(Who + "counters of state " + std::to_string(P.State));
        }
        if (P.CellY < 0 || P.CellY > 320 || P.CellY % 32 != 0 || P.CellX < 0 || P.CellX > 224 ||
            (P.MaskX != 256 && P.MaskX != 288 && P.MaskX != 0)) { // 0 until a rally's first tick
            return Fail(Who + "cell");
        }
    }
    if (Gl_ServeSide != MatchOver && (Gl_BallX < -30 || Gl_BallX > 486)) {
        return Fail("ball x " + std::to_string(Gl_BallX));
    }
    if (Gl_BallY > 277 || Gl_BallY < -1000 || Gl_BallVX < -30 || Gl_BallVX > 30 || Gl_BallVY < -60 ||
        Gl_BallVY > 60) {
        return Fail("ball y or speed");
    }
    if (Gl_BallKind < 0 || Gl_BallKind > 3 || Gl_BallCell < 0 || Gl_BallCell > 144 || Gl_BallCell % 24 != 0 ||
        Gl_BallAnim < 0 || Gl_BallAnim > 1) {
        return Fail("ball kind or cell");
    }
    if (Gl_PointWinner != -1 && Gl_PointWinner != 1 && Gl_PointWinner != 2) {
        return Fail("point winner");
    }
    if (Gl_PointDelay < 0 || Gl_PointDelay > 19 || Gl_Blink < 0 || Gl_Blink > 1) {
        return Fail("delay or blink");
    }
    if (Gl_ServeSide != 0 && Gl_ServeSide != 1 && Gl_ServeSide != MatchOver) {
        return Fail("serve side");
    }
    for (const Typ_Team &Team : Gl_Teams) {
        if (Team.Score < 0 || Team.Score > 15) {
            return Fail("score");
        }
    }
    return "";
}

TEST(RandomMatches, EveryFieldStaysInItsRangeAtEveryTick) {
    std::mt19937 Gen(20261208);
    std::vector<int64_t> Lengths;
    int Capped = 0;
    for (int Match = 0; Match < Matches; ++Match) {
        RandomLineup(Gen);
        SeedRnd(static_cast<uint64_t>(Match) * 7919 + 1);
        StartMatch();
        ASSERT_EQ(CheckInvariants(0), "") << "match " << Match;
        int64_t Tick = 0;
        int KeysLeft = 0;
        while (Gl_ServeSide != MatchOver && Tick < TickCap) {
            if (KeysLeft-- <= 0) {
                // New held keys every few ticks, each key held with a chance of one in three.
                ReleaseScriptedKeys();
                for (int32_t Key : AllKeys) {
                    SetScriptedKey(Key, std::uniform_int_distribution<int>(0, 2)(Gen) == 0);
                }
                KeysLeft = std::uniform_int_distribution<int>(1, 8)(Gen);
            }
            TickMatch();
            Tick++;
            const std::string Broken = CheckInvariants(Tick);
            ASSERT_EQ(Broken, "") << "match " << Match;
        }
        Capped += Gl_ServeSide != MatchOver;
        Lengths.push_back(Tick);
    }
    std::sort(Lengths.begin(), Lengths.end());
    RecordProperty("ShortestTicks", std::to_string(Lengths.front()));
    RecordProperty("MedianTicks", std::to_string(Lengths[Lengths.size() / 2]));
    RecordProperty("LongestTicks", std::to_string(Lengths.back()));
    std::printf("random matches: %d, shortest %lld, median %lld, longest %lld ticks, %d stopped at the cap\n",
                Matches, static_cast<long long>(Lengths.front()),
                static_cast<long long>(Lengths[Lengths.size() / 2]), static_cast<long long>(Lengths.back()),
                Capped);
}

} // namespace
