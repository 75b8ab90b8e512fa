#include "server/Lobby.h"

#include <vector>

#include "net/ReplayUpload.h"

using Meeting::Reason;

Lobby::Lobby(Output &Out, Metrics &Counts, AddressLimits &Limits, const Settings &Chosen, uint64_t Seed)
    : Out(Out), Counts(Counts), Limits(Limits), Chosen(Chosen), Random(Seed), Seen(Out, Chosen.Watching) {}

bool Lobby::Join(PlayerId Who, const std::string &Address, Clock::time_point Now) {
    if (Stopped || int(People.size()) >= Chosen.MaxPlayers) {
        Counts.Refuse(Stopped ? "stopping" : "server_full");
        Refuse(Who, Stopped ? Reason::GoingAway : Reason::ServerFull);
        Out.Close(Who);
        return false;
    }
    Player &P = People[Who];
    P.Address = Address;
    P.LastHeard = Now;
    return true;
}

void Lobby::Leave(PlayerId Who, bool Lost) {
    auto It = People.find(Who);
    if (It == People.end()) {
        return;
    }
    const Player P = It->second;
    if (P.At == Stage::Hosting || P.At == Stage::Playing) {
        EndRoom(P.Room, Lost ? Reason::PartnerLost : Reason::PartnerLeft, Who);
    } else if (P.At == Stage::Watching) {
        Seen.Remove(Who);
    }
    People.erase(Who);
}

void Lobby::Heard(PlayerId Who, Clock::time_point Now) {
    auto It = People.find(Who);
    if (It != People.end()) {
        It->second.LastHeard = Now;
    }
}

bool Lobby::Receive(PlayerId Who, const uint8_t *Bytes, size_t Size, bool Reliable, Clock::time_point Now) {
    auto It = People.find(Who);
    if (It == People.end()) {
        return false;
    }
    Player &P = It->second;
    if (!P.Rate.Take(Now)) {
        Counts.Refuse("too_fast");
        return false;
    }
    Meeting::Header H;
    if (!Meeting::ReadHeader(Bytes, Size, H)) {
        Counts.Refuse("framing");
        return false;
    }
    P.LastHeard = Now;
    if (H.Kind == ReplayUpload::Kind) {
        // A piece of the match just played, for the server alone; never relayed.
        if (Kept != nullptr && P.At == Stage::Playing && H.Session == P.Room) {
            Kept->Piece(Who, P.Room, P.Fingerprint, Bytes, Size);
        }
        return false;
    }
    if (Meeting::IsMeetingKind(H.Kind)) {
        Meeting::Message In;
        const bool Decoded = Meeting::Decode(Bytes, Size, In);
        if (Decoded && In.Type == Meeting::Kind::Start && P.At == Stage::Playing &&
            Rooms.at(P.Room).Host == Who) {
            Seen.Started(P.Room, In.Screen, In.Bytes, Now); // how the host's next match starts, for watchers
            return false;
        }
        if (!Decoded || (In.Type != Meeting::Kind::Ask && In.Type != Meeting::Kind::Watch)) {
            Counts.Refuse("framing");
            return false;
        }
        if (P.At != Stage::Idle) {
            Counts.Refuse("out_of_turn"); // one request at a time: a player asks again once refused
            return false;
        }
        if (In.Type == Meeting::Kind::Watch) {
            Watch(Who, P, In, Now);
        } else {
            Ask(Who, P, In, Now);
        }
        return false;
    }
    // A session's message. Only the number the server gave the room is relayed; a guest's very first
    // hello may not know it yet and carries none.
    if (P.At != Stage::Playing || (H.Session != P.Room && H.Session != 0)) {
        Counts.Refuse("session");
        return false;
    }
    const Room &R = Rooms.at(P.Room);
    const PlayerId To = R.Host == Who ? R.Guest : R.Host;
    Out.Send(To, Bytes, Size, Reliable);
    Counts.MessagesRelayed++;
    Counts.BytesRelayed += Size;
    Seen.Relayed(P.Room, R.Host == Who, Bytes, Size, Now);
    return true;
}

// The room a typed code names. A code that names none counts against its address, which may try
// only so many a minute: the player is refused, and there is none.
std::optional<uint32_t> Lobby::RoomOfCode(PlayerId Who, const Player &P, const Meeting::Message &In,
                                          Clock::time_point Now) {
    if (!Limits.MayTryCode(P.Address, Now)) {
        Counts.Refuse("too_many_codes");
        Refuse(Who, Reason::TooManyTries);
        return std::nullopt;
    }
    const auto Found = Codes.find(std::string(In.Room.begin(), In.Room.end()));
    if (Found == Codes.end()) {
        Limits.WrongCode(P.Address, Now);
        Counts.Refuse("wrong_code");
        Refuse(Who, Reason::NoSuchRoom);
        return std::nullopt;
    }
    return Found->second;
}

void Lobby::Watch(PlayerId Who, Player &P, const Meeting::Message &In, Clock::time_point Now) {
    if (Stopped) {
        Refuse(Who, Reason::GoingAway);
        return;
    }
    // A code to watch by is as hard to guess as a code to join by.
    const std::optional<uint32_t> Found = RoomOfCode(Who, P, In, Now);
    if (!Found) {
        return;
    }
    const Player &Host = People.at(Rooms.at(*Found).Host);
    if (Host.Protocol != In.Protocol || Host.Fingerprint != In.Fingerprint) {
        Counts.Refuse("other_build");
        Refuse(Who, Reason::OtherBuild); // another build would play another match from the inputs
        return;
    }
    if (Seen.Count(*Found) >= size_t(Meeting::MaxWatchers)) {
        Counts.Refuse("no_seats");
        Refuse(Who, Reason::NoSeats);
        return;
    }
    P.At = Stage::Watching;
    P.Room = *Found;
    Seen.Add(*Found, Who, Now);
}

void Lobby::Ask(PlayerId Who, Player &P, const Meeting::Message &In, Clock::time_point Now) {
    if (Stopped) {
        Refuse(Who, Reason::GoingAway);
        return;
    }
    P.Protocol = In.Protocol;
    P.Fingerprint = In.Fingerprint;
    switch (In.Wanted) {
    case Meeting::Want::Quick: {
        while (!Queue.empty()) {
            const PlayerId First = Queue.front();
            Queue.pop_front();
            auto Waiting = People.find(First);
            if (Waiting == People.end() || Waiting->second.At != Stage::Queued || First == Who) {
                continue; // gave up or left while waiting
            }
            Player &W = Waiting->second;
            if (W.Protocol != P.Protocol || W.Fingerprint != P.Fingerprint) {
                // Both are told; each may ask again and meet someone whose build matches.
                Counts.Refuse("other_build", 2);
                W.At = Stage::Idle;
                Refuse(First, Reason::OtherBuild);
                Refuse(Who, Reason::OtherBuild);
                return;
            }
            const uint32_t Session = NewSession();
            Rooms[Session] = Room{"", First, Who, Now};
            Pair(First, Who, Session, Now);
            return;
        }
        P.At = Stage::Queued;
        Queue.push_back(Who);
        return;
    }
    case Meeting::Want::NewRoom: {
        const std::string Code = NewCode();
        if (Code.empty()) {
            Counts.Refuse("server_full");
            Refuse(Who, Reason::ServerFull);
            return;
        }
        const uint32_t Session = NewSession();
        Rooms[Session] = Room{Code, Who, 0, Now};
        Codes[Code] = Session;
        P.At = Stage::Hosting;
        P.Room = Session;
        Counts.RoomsWaiting++;
        Meeting::Message Told;
        Told.Type = Meeting::Kind::Code;
        std::copy(Code.begin(), Code.end(), Told.Room.begin());
        Tell(Who, Told);
        return;
    }
    case Meeting::Want::JoinRoom: {
        const std::optional<uint32_t> Found = RoomOfCode(Who, P, In, Now);
        if (!Found) {
            return;
        }
        Room &R = Rooms.at(*Found);
        if (R.Guest != 0) {
            Counts.Refuse("room_full");
            Refuse(Who, Reason::Full);
            return;
        }
        const Player &Host = People.at(R.Host);
        if (Host.Protocol != P.Protocol || Host.Fingerprint != P.Fingerprint) {
            // The room waits on for the friend with the same build.
            Counts.Refuse("other_build");
            Refuse(Who, Reason::OtherBuild);
            return;
        }
        R.Guest = Who;
        Counts.RoomsWaiting--;
        Pair(R.Host, Who, *Found, Now);
        return;
    }
    }
}

void Lobby::Pair(PlayerId HostId, PlayerId GuestId, uint32_t Session, Clock::time_point Now) {
    for (PlayerId Id : {HostId, GuestId}) {
        Player &P = People.at(Id);
        P.At = Stage::Playing;
        P.Room = Session;
        P.LastHeard = Now;
        Meeting::Message M;
        M.Type = Meeting::Kind::Paired;
        M.Session = Session;
        M.Host = Id == HostId;
        Tell(Id, M);
    }
    Counts.MatchesPlaying++;
    if (!Rooms.at(Session).Code.empty()) {
        Seen.Players(Session, HostId, GuestId); // only a room's code lets anyone watch
    }
}

void Lobby::Tick(Clock::time_point Now) {
    std::vector<std::pair<uint32_t, PlayerId>> Ending; // a room, and its player who fell silent
    std::vector<uint32_t> Expired;
    for (const auto &[Session, R] : Rooms) {
        if (R.Guest == 0) {
            if (Now - R.Opened >= Chosen.RoomWait) {
                Expired.push_back(Session);
            }
            continue;
        }
        for (PlayerId Id : {R.Host, R.Guest}) {
            if (Now - People.at(Id).LastHeard >= Chosen.Silence) {
                Ending.emplace_back(Session, Id);
                break;
            }
        }
    }
    for (uint32_t Session : Expired) {
        EndRoom(Session, Reason::Closed, 0);
    }
    for (const auto &[Session, Silent] : Ending) {
        EndRoom(Session, Reason::PartnerLost, 0);
        (void)Silent;
    }
    for (PlayerId Slow : Seen.Tick(Now)) {
        Counts.Refuse("slow_watcher");
        Drop(Slow);
    }
}

void Lobby::Stop() {
    Stopped = true;
    std::vector<uint32_t> All;
    for (const auto &Entry : Rooms) {
        All.push_back(Entry.first);
    }
    for (uint32_t Session : All) {
        EndRoom(Session, Reason::GoingAway, 0);
    }
    std::vector<PlayerId> Rest;
    for (const auto &Entry : People) {
        Rest.push_back(Entry.first);
    }
    for (PlayerId Id : Rest) {
        Meeting::Message M;
        M.Type = Meeting::Kind::Over;
        M.Why = Reason::GoingAway;
        Tell(Id, M);
        Drop(Id);
    }
    Queue.clear();
}

void Lobby::EndRoom(uint32_t Session, Reason Why, PlayerId Leaver) {
    auto It = Rooms.find(Session);
    if (It == Rooms.end()) {
        return;
    }
    const Room R = It->second;
    Rooms.erase(It);
    if (Kept != nullptr) {
        Kept->RoomEnded(Session);
    }
    if (!R.Code.empty()) {
        Codes.erase(R.Code);
    }
    // Watchers see the rest of what was played, then why it ended.
    const Reason ToWatchers =
        Why == Reason::PartnerLeft || Why == Reason::PartnerLost ? Reason::PlayersLeft : Why;
    for (PlayerId Watcher : Seen.Close(Session, ToWatchers)) {
        Drop(Watcher);
    }
    if (R.Guest == 0) {
        Counts.RoomsWaiting--;
    } else {
        Counts.MatchesPlaying--;
        Counts.MatchesFinished++;
    }
    for (PlayerId Id : {R.Host, R.Guest}) {
        if (Id == 0 || Id == Leaver || People.count(Id) == 0) {
            continue;
        }
        Meeting::Message M;
        M.Type = Meeting::Kind::Over;
        M.Session = Session;
        M.Why = Why;
        Tell(Id, M);
        Drop(Id);
    }
}

void Lobby::Drop(PlayerId Who) {
    People.erase(Who);
    Out.Close(Who);
}

void Lobby::Tell(PlayerId To, const Meeting::Message &M) {
    const std::vector<uint8_t> Bytes = Meeting::Encode(M);
    Out.Send(To, Bytes.data(), Bytes.size(), true);
}

void Lobby::Refuse(PlayerId To, Reason Why) {
    Meeting::Message M;
    M.Type = Meeting::Kind::Refused;
    M.Why = Why;
    Tell(To, M);
}

uint32_t Lobby::NewSession() {
    for (;;) {
        const uint32_t Session = uint32_t(Random());
        if (Session != 0 && Rooms.count(Session) == 0) {
            return Session;
        }
    }
}

std::string Lobby::NewCode() {
    // A code is drawn at random among those free; with most of them taken the server is full.
    std::uniform_int_distribution<int> Letter(0, Meeting::CodeAlphabetSize - 1);
    for (int Try = 0; Try < 64; ++Try) {
        std::string Code;
        for (int I = 0; I < Meeting::CodeLength; ++I) {
            Code += Meeting::CodeAlphabet[Letter(Random)];
        }
        if (Codes.count(Code) == 0) {
            return Code;
        }
    }
    return {};
}
