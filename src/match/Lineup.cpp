#include "match/Lineup.h"

#include "records/BasCmnDef.h"
#include "match/Match.h"
#include "platform/Keyboard.h"
#include "platform/Random.h"

std::string LineupProblem(const int Sides[4], const int Slots[4]) {
    for (int Side = 0; Side < 2; ++Side) {
        int Count = 0;
        for (int I = 0; I < 4; ++I) {
            if (Sides[I] != Side) {
                continue;
            }
            Count++;
            for (int J = I + 1; J < 4; ++J) {
                if (Sides[J] == Side && Slots[J] == Slots[I]) {
                    return "puts characters " + std::to_string(I) + " and " + std::to_string(J) +
                           " on the same slot of side " + std::to_string(Side);
                }
            }
        }
        if (Count < 1 || Count > 3) {
            return "must put one to three characters on each side";
        }
    }
    return "";
}

void StartLineup(const int Sides[4], const int Slots[4], const int People[2], bool Seeded, uint64_t Seed) {
    ClearGameState();
    ReleaseScriptedKeys();
    ResetRnd();
    MarkDraws();
    if (Seeded) {
        SeedRnd(Seed);
    }
    for (int I = 0; I < 4; ++I) {
        Typ_Player &P = Gl_Players[I];
        P.Side = Sides[I];
        P.Slot = Slots[I];
        P.Control = ComputerControl;
        P.KeySet = -1;
        Gl_Teams[Sides[I]].Members = Gl_Teams[Sides[I]].Members + 1;
    }
    // The first person plays with the letter keys, the second with the keypad.
    for (int Person = 0; Person < 2; ++Person) {
        if (People[Person] >= 0) {
            Gl_Players[People[Person]].Control = 1;
            Gl_Players[People[Person]].KeySet = Person;
        }
    }
    StartMatch();
}
