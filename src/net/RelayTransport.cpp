#include "net/RelayTransport.h"
#include "net/ReplayUpload.h"

RelayTransport::RelayTransport(std::unique_ptr<Transport> ToServer, const Meeting::Message &Ask,
                               std::string ServerName)
    : Inner(std::move(ToServer)), Asked(Ask), Name(std::move(ServerName)) {}

void RelayTransport::Fail(const std::string &Why) {
    Now = Meet::Failed;
    Trouble = Why;
    Inner->Close();
}

RelayTransport::Meet RelayTransport::Meeting(uint32_t Millis) {
    if (Now != Meet::Waiting) {
        return Now;
    }
    NetEvent Event = Inner->Poll(Millis);
    for (int Count = 0; Count < 64 && Event.Type != NetEvent::Kind::Nothing && Now == Meet::Waiting;
         ++Count) {
        switch (Event.Type) {
        case NetEvent::Kind::Connected:
            if (Server == NoPeer) {
                Server = Event.Peer;
                Inner->Send(Server, Meeting::Encode(Asked), true);
            }
            break;
        case NetEvent::Kind::Lost:
            if (Event.Peer == Server || Server == NoPeer) {
                Fail(Server == NoPeer ? "cannot reach the server at " + Name
                                      : "the server closed the connection");
            }
            break;
        case NetEvent::Kind::Received: {
            Meeting::Message In;
            if (Event.Peer != Server || !Meeting::Decode(Event.Bytes.data(), Event.Bytes.size(), In)) {
                break; // nothing of the session comes before the pairing
            }
            if (In.Type == Meeting::Kind::Code) {
                RoomCode.assign(In.Room.begin(), In.Room.end());
            } else if (In.Type == Meeting::Kind::Paired) {
                Now = Meet::Paired;
                Hosting = In.Host;
                SessionId = In.Session;
            } else if (In.Type == Meeting::Kind::Refused || In.Type == Meeting::Kind::Over) {
                EndedBy = In.Why;
                Fail(Meeting::Sentence(In.Why));
            }
            break;
        }
        case NetEvent::Kind::Nothing:
            break;
        }
        if (Now == Meet::Waiting) {
            Event = Inner->Poll(0);
        }
    }
    return Now;
}

NetEvent RelayTransport::Poll(uint32_t Millis) {
    NetEvent Out;
    if (Now != Meet::Paired || Gone) {
        return Out;
    }
    if (!Announced) {
        Announced = true;
        Out.Type = NetEvent::Kind::Connected;
        Out.Peer = Partner;
        return Out;
    }
    for (;;) {
        NetEvent Event = Inner->Poll(Millis);
        Millis = 0;
        if (Event.Type == NetEvent::Kind::Nothing) {
            return Out;
        }
        if (Event.Peer != Server) {
            continue;
        }
        if (Event.Type == NetEvent::Kind::Lost) {
            Gone = true;
            Out.Type = NetEvent::Kind::Lost;
            Out.Peer = Partner;
            return Out;
        }
        if (Event.Type != NetEvent::Kind::Received) {
            continue;
        }
        Meeting::Header H;
        if (Meeting::ReadHeader(Event.Bytes.data(), Event.Bytes.size(), H) &&
            Meeting::IsMeetingKind(H.Kind)) {
            // The server ends the room: the other player left or fell silent, or the server stops.
            Meeting::Message In;
            if (Meeting::Decode(Event.Bytes.data(), Event.Bytes.size(), In) &&
                In.Type == Meeting::Kind::Over) {
                EndedBy = In.Why;
                Trouble = Meeting::Sentence(In.Why);
                Gone = true;
                Inner->Drop(Server, true);
                Out.Type = NetEvent::Kind::Lost;
                Out.Peer = Partner;
                return Out;
            }
            if (Meeting::Decode(Event.Bytes.data(), Event.Bytes.size(), In) &&
                In.Type == Meeting::Kind::Watchers) {
                WatcherCount = In.Count;
            }
            continue;
        }
        Out.Type = NetEvent::Kind::Received;
        Out.Peer = Partner;
        Out.Bytes = std::move(Event.Bytes);
        return Out;
    }
}

bool RelayTransport::Send(PeerId Peer, const uint8_t *Bytes, size_t Size, bool Reliable) {
    if (Peer != Partner || Now != Meet::Paired || Gone) {
        return false;
    }
    return Inner->Send(Server, Bytes, Size, Reliable);
}

void RelayTransport::Upload(uint16_t Screen, const std::vector<uint8_t> &File) {
    if (Now != Meet::Paired || Server == NoPeer) {
        return;
    }
    for (const auto &Piece : ReplayUpload::Cut(SessionId, Screen, File)) {
        Inner->Send(Server, Piece.data(), Piece.size(), true);
    }
}

bool RelayTransport::TellServer(uint16_t Screen, const std::vector<uint8_t> &Record) {
    if (Now != Meet::Paired || Gone || Record.empty() || Record.size() > Meeting::MaxStartRecord) {
        return false;
    }
    Meeting::Message Start;
    Start.Type = Meeting::Kind::Start;
    Start.Session = SessionId;
    Start.Screen = Screen;
    Start.Bytes = Record;
    return Inner->Send(Server, Meeting::Encode(Start), true);
}

void RelayTransport::Drop(PeerId Peer, bool Goodbye) {
    if (Peer == Partner && Server != NoPeer) {
        Inner->Drop(Server, Goodbye);
    }
}

void RelayTransport::Close(bool Linger) {
    Inner->Close(Linger);
}

bool RelayTransport::Connected(PeerId Peer) const {
    return Peer == Partner && Now == Meet::Paired && !Gone && Inner->Connected(Server);
}

uint32_t RelayTransport::RoundTripMillis(PeerId Peer) const {
    return Peer == Partner && Server != NoPeer ? Inner->RoundTripMillis(Server) : 0;
}
