// The matches the server keeps (--replays DIR): one replay file per match in DIR, named by its id,
// the oldest dropped first once there are more than the operator's count or bytes. What is there
// when the server starts is taken up again, so a restart loses nothing. Ids are the only names a
// stranger may give: 16 lowercase hexadecimal digits, checked before any path is made of one.
#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "replay/ReplayFile.h"

class ReplayShelf {
  public:
    struct Settings {
        std::string Dir;
        size_t MaxCount = 1000;
        uint64_t MaxBytes = 100ull * 1024 * 1024;
    };

    explicit ReplayShelf(const Settings &Chosen);
    // Makes the folder when missing and takes up the files already there (others are left alone).
    bool Open(std::string &Error);
    // Keeps a sound replay file; gives its id, or "" when it cannot be written.
    std::string Keep(const std::vector<uint8_t> &File, const Typ_Replay &Replay, std::string &Error);
    // The most recent first, JSON: [{"id", "date", "lineup", "score", "won", "ticks"}, ...].
    std::string List(size_t Most = 100) const;
    // The file's path for an id that is kept, else "".
    std::string PathOf(const std::string &Id) const;
    static bool ValidId(const std::string &Id);
    size_t Count() const { return Kept.size(); }
    uint64_t Bytes() const { return Total; }

  private:
    struct Entry {
        std::string Id;
        int64_t Date = 0;
        int Sides[4] = {}, Slots[4] = {};
        int Score[2] = {};
        bool Won = false;
        uint32_t Ticks = 0;
        uint64_t Size = 0;
    };
    static Entry EntryOf(const std::string &Id, const Typ_Replay &Replay, uint64_t Size);
    void Prune();

    Settings Chosen;
    std::deque<Entry> Kept; // oldest first
    uint64_t Total = 0;
    std::mt19937_64 Random;
};
