// The module's side of one copy of the match's code: matches set up, ticked, looked at and drawn
// through the game's own records, one match at a time. A match lives in its snapshot between ticks
// and is restored into the records for each thing done with it, so any number of matches share one
// copy, and nothing of one leaks into the next.
#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "assets/Pictures.h"
#include "match/Draw.h"
#include "match/Lineup.h"
#include "match/Match.h"
#include "match/Trace.h"
#include "platform/KeySets.h"
#include "platform/Random.h"
#include "python/core/Copy.h"
#include "python/core/Observe.h"
#include "records/BasCmnDef.h"

namespace {

static_assert(sizeof(Typ_MatchSnapshot) <= SnapshotBytes, "a match's snapshot outgrew Typ_Kept");
static_assert(alignof(Typ_MatchSnapshot) <= 8, "a match's snapshot needs a wider alignment");
static_assert(KeptDraws >= MaxLoggedDraws, "a tick's draws do not fit Typ_Kept");

Typ_MatchSnapshot &SnapshotOf(Typ_Kept &Kept) {
    return *std::launder(reinterpret_cast<Typ_MatchSnapshot *>(Kept.Snapshot));
}
const Typ_MatchSnapshot &SnapshotOf(const Typ_Kept &Kept) {
    return *std::launder(reinterpret_cast<const Typ_MatchSnapshot *>(Kept.Snapshot));
}

// A match's record moves into the game's globals before each of its ticks and back out after it.
// Left to itself GCC copies a record of this size with `rep movsq`, whose start-up costs more than
// the copy: measured here at about 24 ns a copy against 10 ns for plain 16-byte loads and stores,
// a tenth of a whole step. Every x86-64 processor has SSE2; elsewhere memcpy does it.
template <typename Record> void CopyRecord(Record &To, const Record &From) {
    static_assert(std::is_trivially_copyable<Record>::value, "a record is copied as bytes");
    unsigned char *Out = reinterpret_cast<unsigned char *>(&To);
    const unsigned char *In = reinterpret_cast<const unsigned char *>(&From);
#if defined(__SSE2__)
    constexpr size_t Pieces = sizeof(Record) / 16;
    for (size_t I = 0; I < Pieces; ++I) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(Out + 16 * I),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(In + 16 * I)));
    }
    std::memcpy(Out + 16 * Pieces, In + 16 * Pieces, sizeof(Record) % 16);
#else
    std::memcpy(Out, In, sizeof(Record));
#endif
}

// RestoreMatch and SaveMatch, with the record copied as above.
void Enter(const Typ_Kept &Kept) {
    const Typ_MatchSnapshot &Snapshot = SnapshotOf(Kept);
    CopyRecord(Gl_Match, Snapshot.Match);
    SetRndPosition(Snapshot.RandomPosition);
}
void Leave(Typ_Kept &Kept) {
    Typ_MatchSnapshot &Snapshot = SnapshotOf(Kept);
    CopyRecord(Snapshot.Match, Gl_Match);
    Snapshot.RandomPosition = RndPosition();
}

// Holds the keys of one person's action: bit 0 up, 1 down, 2 back, 3 front, 4 hit. Back is away
// from the net: the left key on the left side, the right key on the right side. Every key of the
// person's set is written, held or not, so nothing of the last match's action stays held.
void HoldAction(int Person, int64_t Side, uint8_t Action) {
    const int32_t(&Keys)[KeyRole::Count] = KeySets[Person];
    const int32_t Back = Side == 0 ? Keys[KeyRole::Left] : Keys[KeyRole::Right];
    const int32_t Front = Side == 0 ? Keys[KeyRole::Right] : Keys[KeyRole::Left];
    SetScriptedKey(Keys[KeyRole::Up], (Action & 1) != 0);
    SetScriptedKey(Keys[KeyRole::Down], (Action & 2) != 0);
    SetScriptedKey(Back, (Action & 4) != 0);
    SetScriptedKey(Front, (Action & 8) != 0);
    SetScriptedKey(Keys[KeyRole::Hit], (Action & 16) != 0);
}

// Runs one tick of the match in the records and keeps what the tick left.
void TickKept(Typ_Kept &Kept) {
    const bool DeadBefore = Gl_PointWinner != -1;
    MarkDraws();
    TickMatch();
    // A rally is only ever booked at the end of a dead ball's delay, and its reset makes the ball
    // live again: the tick then leaves the bare court on the window.
    Kept.Booked = DeadBefore && Gl_PointWinner == -1;
    Kept.Tick++;
    Kept.DrawCount = DrawsSinceMark() < MaxLoggedDraws ? DrawsSinceMark() : MaxLoggedDraws;
    for (int I = 0; I < Kept.DrawCount; ++I) {
        Kept.Draws[I] = DrawSinceMark(I);
    }
    Leave(Kept);
}

void Start(Typ_Kept &Kept, const Typ_Setup &Setup, bool KeepRandom) {
    const uint64_t Position = KeepRandom ? SnapshotOf(Kept).RandomPosition : 0;
    new (Kept.Snapshot) Typ_MatchSnapshot{};
    StartLineup(Setup.Sides, Setup.Slots, Setup.People, Setup.Seeded, Setup.Seed);
    if (KeepRandom) {
        SetRndPosition(Position);
    }
    SaveMatch(SnapshotOf(Kept));
    Kept.Tick = 0;
    Kept.DrawCount = 0;
    Kept.Booked = false;
}

void Step(Typ_Kept &Kept, const int32_t *HeldKeys, size_t Count) {
    Enter(Kept);
    ReleaseScriptedKeys();
    for (size_t I = 0; I < Count; ++I) {
        SetScriptedKey(HeldKeys[I], true);
    }
    TickKept(Kept);
}

void ObserveAll(const Typ_Setup &Setup, float *Out) {
    for (int Person = 0; Person < Setup.PeopleCount; ++Person) {
        ObserveMatch(Setup.People[Person], Out + Person * ObservationSize);
    }
}

void StepBatch(const Typ_BatchJob &Job, size_t Begin, size_t End) {
    const Typ_Setup &Setup = *Job.Setup;
    const int People = Setup.PeopleCount;
    ReleaseScriptedKeys();
    for (size_t I = Begin; I < End; ++I) {
        Typ_Kept &Kept = Job.Matches[I];
        Enter(Kept);
        for (int Person = 0; Person < People; ++Person) {
            HoldAction(Person, Gl_Players[Setup.People[Person]].Side, Job.Actions[I * People + Person]);
        }
        const int64_t ScoresBefore[2] = {Gl_Teams[0].Score, Gl_Teams[1].Score};
        TickKept(Kept);
        const int64_t Gained[2] = {Gl_Teams[0].Score - ScoresBefore[0], Gl_Teams[1].Score - ScoresBefore[1]};
        for (int Person = 0; Person < People; ++Person) {
            const int64_t Side = Gl_Players[Setup.People[Person]].Side;
            Job.Rewards[I * People + Person] = float(Gained[Side] - Gained[1 - Side]);
        }
        const bool Won = Gl_ServeSide == MatchOver;
        Job.Terminated[I] = Won;
        Job.Truncated[I] = !Won && Kept.Tick >= Job.MaxTicks;
        Job.Ended[I] = Job.Terminated[I] || Job.Truncated[I];
        float *Observations = Job.Observations + I * People * ObservationSize;
        if (Job.Ended[I]) {
            ObserveAll(Setup, Job.FinalObservations + I * People * ObservationSize);
            // The next match goes on drawing from the same random source, so no two repeat.
            Start(Kept, Setup, true);
        }
        ObserveAll(Setup, Observations);
    }
}

void Observe(const Typ_Kept &Kept, const Typ_Setup &Setup, float *Out) {
    RestoreMatch(SnapshotOf(Kept));
    ObserveAll(Setup, Out);
}

std::string Trace(const Typ_Kept &Kept) {
    RestoreMatch(SnapshotOf(Kept));
    return TraceLineWithDraws(Kept.Tick, Kept.Draws, Kept.DrawCount);
}

// The picture is drawn again from the state the tick left: the frame of a tick shows the state
// after its moves, and what drawing itself changes can be stepped back first. The blink steps
// 0, 1, 0, 1, so the frame drew with the other value; a full gauge that flashed in the frame
// already counted that flash (and emptied itself if it was its last), so its count is cleared to
// let this drawing flash it without emptying it twice. A tick that booked a rally ends with the
// bare court, as does a match that has not ticked yet.
void Frame(const Typ_Kept &Kept, uint8_t *Rgb) {
    static Surface Screen(480, 360);
    const Typ_Pictures &Pictures = GetPictures();
    const Typ_MatchCanvas Before = Gl_Canvas;
    Gl_Canvas.Screen = &Screen;
    Gl_Canvas.Pic_Tumbler = &Pictures.Pic_Tumbler;
    Gl_Canvas.Pic_Ball = &Pictures.Pic_Ball;
    Gl_Canvas.Pic_Kouka = &Pictures.Pic_Kouka;
    Gl_Canvas.Pic_Back = &Pictures.Pic_Back;
    RestoreMatch(SnapshotOf(Kept));
    if (Kept.Tick == 0 || Kept.Booked) {
        DrawCourt();
    } else {
        Gl_Blink = 1 - Gl_Blink;
        for (Typ_Player &P : Gl_Players) {
            P.FlashCount = 0;
        }
        DrawFrame();
    }
    Gl_Canvas = Before;
    for (const uint32_t Pixel : Screen.Pixels) {
        *Rgb++ = uint8_t(Pixel & 0xFF);
        *Rgb++ = uint8_t((Pixel >> 8) & 0xFF);
        *Rgb++ = uint8_t((Pixel >> 16) & 0xFF);
    }
}

bool Over(const Typ_Kept &Kept) {
    return SnapshotOf(Kept).Match.ServeSide == MatchOver;
}

} // namespace

extern const Typ_SimCopy ThisCopy;
const Typ_SimCopy ThisCopy = {LineupProblem, Start, Step, StepBatch, Observe, Trace, Frame, Over};
