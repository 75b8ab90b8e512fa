#include "server/ReplayIntake.h"

#include "net/ReplayUpload.h"

void ReplayIntake::Piece(PlayerId From, uint32_t Session, uint32_t Fingerprint, const uint8_t *Bytes,
                         size_t Size) {
    ReplayUpload::Piece P;
    if (!ReplayUpload::Read(Bytes, Size, P) || P.Session != Session) {
        Counts.Refuse("replay");
        return;
    }
    auto It = Arriving.find(From);
    if (Finished.count({Session, P.Screen}) != 0) {
        Forget(It);
        return; // the other player's file of this match is kept already
    }
    if (P.Offset == 0) {
        // A file begins; whatever of an earlier one was left unfinished is forgotten.
        Forget(It);
        if (PendingBytes + P.Total > MaxPendingBytes) {
            Counts.Refuse("replay_busy");
            return;
        }
        PendingBytes += P.Total;
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
        Forget(It);
        return;
    }
    Upload &U = It->second;
    U.File.insert(U.File.end(), P.Bytes, P.Bytes + P.Size);
    if (U.File.size() == U.Total) {
        const Upload Done = std::move(U);
        Forget(It);
        Whole(Done, Fingerprint);
    }
}

void ReplayIntake::Forget(std::map<PlayerId, Upload>::iterator It) {
    if (It != Arriving.end()) {
        PendingBytes -= It->second.Total;
        Arriving.erase(It);
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
        const auto Next = std::next(It);
        if (It->second.Session == Session) {
            Forget(It);
        }
        It = Next;
    }
    Finished.erase(Finished.lower_bound({Session, 0}), Finished.upper_bound({Session, UINT16_MAX}));
}
