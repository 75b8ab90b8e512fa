#include "server/ReplayIntake.h"

#include "net/ReplayUpload.h"

void ReplayIntake::Piece(PlayerId From, uint32_t Session, uint32_t Fingerprint, const uint8_t *Bytes, size_t Size) {
    ReplayUpload::Piece P;
    if (!ReplayUpload::Read(Bytes, Size, P) || P.Session != Session) {
        Counts.Refuse("replay");
        return;
    }
    if (Finished.count({Session, P.Screen}) != 0) {
        Arriving.erase(From);
        return; // the other player's file of this match is kept already
    }
    auto It = Arriving.find(From);
    if (P.Offset == 0) {
        // A file begins; whatever of an earlier one was left unfinished is forgotten.
        Upload U;
        U.Session = Session;
        U.Screen = P.Screen;
        U.Total = P.Total;
        It = Arriving.insert_or_assign(From, std::move(U)).first;
    }
    // Pieces come in order, over a reliable channel: anything else is not a file of ours.
    if (It == Arriving.end() || It->second.Screen != P.Screen || It->second.Total != P.Total ||
        It->second.File.size() != P.Offset) {
        Counts.Refuse("replay");
        if (It != Arriving.end()) {
            Arriving.erase(It);
        }
        return;
    }
    Upload &U = It->second;
    U.File.insert(U.File.end(), P.Bytes, P.Bytes + P.Size);
    if (U.File.size() == U.Total) {
        const Upload Done = std::move(U);
        Arriving.erase(It);
        Whole(Done, Fingerprint);
    }
}

void ReplayIntake::Whole(const Upload &Done, uint32_t Fingerprint) {
    Typ_Replay Replay;
    const ReplayCheck Check = DecodeReplay(Done.File, Replay);
    if (Check.Problem != ReplayProblem::None || Replay.Origin != ReplayOrigin::Server ||
        Replay.Fingerprint != Fingerprint || Replay.Ticks == 0) {
        Counts.Refuse("replay");
        return;
    }
    Finished.insert({Done.Session, Done.Screen});
    std::string Error;
    const std::string Id = Shelf.Keep(Done.File, Replay, Error);
    if (Id.empty()) {
        Counts.Refuse("replay_unwritten");
        if (Log != nullptr) {
            std::fprintf(Log, "zorbump-server: a match was not kept: %s\n", Error.c_str());
            std::fflush(Log);
        }
    }
}

void ReplayIntake::RoomEnded(uint32_t Session) {
    for (auto It = Arriving.begin(); It != Arriving.end();) {
        It = It->second.Session == Session ? Arriving.erase(It) : std::next(It);
    }
    Finished.erase(Finished.lower_bound({Session, 0}), Finished.upper_bound({Session, UINT16_MAX}));
}
