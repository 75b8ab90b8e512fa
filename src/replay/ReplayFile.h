// A kept match: who played where, where the random numbers stood, and the five controls of each
// person at every tick. The file knows no rules: it is read and written here byte by byte, and a
// file from anywhere is checked whole before anything of it is believed.
//
// The file, all numbers little-endian:
//   0  4  "ZBRP"
//   4  2  format version (ReplayFormatVersion)
//   6  4  the file's length in bytes, checksum included
//  10  4  the fingerprint of the build that played the match
//  14  1  where it was played: 0 the game, 1 the tool, 2 online between two machines, 3 online through
//         a server
//  15  4  characters 0 to 3: side * 16 + slot
//  19  2  the characters the first and the second person drove, 255 for none
//  21  1  bit 0: seeded; bit 1: the match was won (else it was left or stopped before the end)
//  22  8  the seed
//  30  8  the random source's position as the match began
//  38  1  the blink as the match began (0 or 1)
//  39  8  the date the match began, seconds since 1970-01-01 UTC
//  47  4  the number of ticks
//  51  2  the final score, left side then right
//  53     for each person in play, first then second: a 4-byte length, then that many bytes of runs,
//         each run one unsigned LEB128 number (ticks - 1) * 32 + controls, the controls as PadBits
//         (up 1, down 2, left 4, right 8, hit 16), the runs together as long as the match
//  end 4  the CRC-32 of every byte before it
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/Rollback.h"

constexpr uint16_t ReplayFormatVersion = 1;
// Longer than any match the tool or the game plays; a file claiming more is not believed.
constexpr uint32_t ReplayMaxTicks = 1000000;
constexpr size_t ReplayMaxBytes = 16 * 1024 * 1024;

enum class ReplayOrigin : uint8_t { Game = 0, Tool = 1, Direct = 2, Server = 3 };

struct Typ_Replay {
    uint32_t Fingerprint = 0;
    ReplayOrigin Origin = ReplayOrigin::Tool;
    int Sides[4] = {0, 1, 0, 1};
    int Slots[4] = {0, 0, 1, 1};
    int People[2] = {-1, -1}; // letter keys, keypad keys
    bool Seeded = false;
    uint64_t Seed = 0;
    uint64_t RandomPosition = 0;
    int Blink = 0;
    int64_t Date = 0;
    bool Won = false;
    int Score[2] = {0, 0};
    // Each person's controls, one per tick, tick 1 first; empty for a person not in play. Both
    // people in play hold exactly as many as the match has ticks.
    std::vector<PadInput> Inputs[2];
    uint32_t Ticks = 0;
};

enum class ReplayProblem {
    None,
    Unreadable,
    NotReplay,
    OtherVersion,
    Truncated,
    TooLong,
    Corrupted,
    Malformed,
    OtherBuild,
};

struct ReplayCheck {
    ReplayProblem Problem = ReplayProblem::None;
    std::string Reason; // one line, for a person
};

std::vector<uint8_t> EncodeReplay(const Typ_Replay &Replay);
// Reads a replay from bytes. Anything else than a sound file of this format version gives a
// problem and its reason, and leaves Replay as it was.
ReplayCheck DecodeReplay(const std::vector<uint8_t> &Bytes, Typ_Replay &Replay);

// The same, from and to a file.
bool WriteReplayFile(const std::string &Path, const Typ_Replay &Replay, std::string &Error);
ReplayCheck ReadReplayFile(const std::string &Path, Typ_Replay &Replay);

// Keeps a replay in Dir (made when missing) under the name of its date, never over another file:
// a second match begun in the same second gets "-2" before the extension, and so on. Gives the
// path written, or false and the reason.
bool KeepReplayInFolder(const std::string &Dir, const Typ_Replay &Replay, std::string &Path,
                        std::string &Error);

// A file name for a match begun at Date (seconds since 1970 UTC): "zorbump-YYYYMMDD-HHMMSS.zbr",
// in UTC.
std::string ReplayFileName(int64_t Date);
