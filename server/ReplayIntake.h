// The replay files players send as their match ends, put together piece by piece and kept on the
// shelf. Both players of a room send theirs (whoever stays longer gets it through); the first whole
// and sound file of each match of the room is kept, the other dropped. A file is believed only when it
// is a replay of this format, played through a server, by the build both players announced.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "server/Lobby.h"
#include "server/Metrics.h"
#include "server/ReplayShelf.h"

class ReplayIntake : public Lobby::Keeper {
  public:
    // Log: one line per kept match or failure to write (nothing in tests).
    ReplayIntake(ReplayShelf &Shelf, Metrics &Counts, std::FILE *Log)
        : Shelf(Shelf), Counts(Counts), Log(Log) {}
    void Piece(PlayerId From, uint32_t Session, uint32_t Fingerprint, const uint8_t *Bytes,
               size_t Size) override;
    void RoomEnded(uint32_t Session) override;
    size_t Pending() const { return Arriving.size(); }
    // The bytes of unfinished files the server holds at most, whoever sends them: files beyond it
    // wait for none and are not kept.
    static constexpr size_t MaxPendingBytes = 16 * 1024 * 1024;

  private:
    struct Upload {
        uint32_t Session = 0;
        uint16_t Screen = 0;
        uint32_t Total = 0;
        std::vector<uint8_t> File;
    };
    void Whole(const Upload &Done, uint32_t Fingerprint);
    void Forget(std::map<PlayerId, Upload>::iterator It);

    ReplayShelf &Shelf;
    Metrics &Counts;
    std::FILE *Log;
    std::map<PlayerId, Upload> Arriving;              // one file at a time per player
    size_t PendingBytes = 0;                          // their files' whole lengths
    std::set<std::pair<uint32_t, uint16_t>> Finished; // the matches of rooms still open already kept
};
