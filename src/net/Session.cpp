#include "net/Session.h"

#include <algorithm>

namespace Sentences {
const char *const OtherBuild = "the other machine runs another build of the game: both must run the same one";
const char *const Full = "that game already has two players";
} // namespace Sentences

namespace {

// Events handled in one service at most, so that a flood cannot hold a window still.
constexpr int EventsPerService = 4096;

} // namespace

NetSession::NetSession(Transport &Network, bool Hosting, uint32_t Build, const Wire::Message &Offer,
                       uint64_t StartedMillis)
    : Net(Network), Host(Hosting), Fingerprint(Build), Welcome(Offer), Started(StartedMillis) {
    Welcome.Type = Wire::Kind::Welcome;
    Welcome.Version = Wire::ProtocolVersion;
    Welcome.Fingerprint = Fingerprint;
}

std::string NetSession::TakeNote() {
    if (Notes.empty()) {
        return "";
    }
    std::string Line = Notes.front();
    Notes.pop_front();
    return Line;
}

void NetSession::Note(const std::string &Line) {
    if (Notes.size() < 16) {
        Notes.push_back(Line);
    }
}

bool NetSession::Take(Wire::Message &In, uint16_t UpToScreen) {
    // The other machine's next screen may have overtaken the last words of this one (a reliable
    // message resent while the next screen's unreliable ones arrived): those are still taken.
    const auto Next = std::find_if(Waiting.begin(), Waiting.end(),
                                   [UpToScreen](const Wire::Message &M) { return M.Screen <= UpToScreen; });
    if (Next == Waiting.end()) {
        return false;
    }
    In = *Next;
    Waiting.erase(Next);
    return true;
}

bool NetSession::LaterScreen(uint16_t Screen) const {
    return std::any_of(Waiting.begin(), Waiting.end(), [Screen](const Wire::Message &M) { return M.Screen > Screen; });
}

void NetSession::Service(uint32_t WaitMillis) {
    for (int Count = 0; Count < EventsPerService && Now != Stages::Over; ++Count) {
        const NetEvent Event = Net.Poll(Count == 0 ? WaitMillis : 0);
        if (Event.Type == NetEvent::Kind::Nothing) {
            break;
        }
        switch (Event.Type) {
        case NetEvent::Kind::Connected:
            Connected(Event.Peer);
            break;
        case NetEvent::Kind::Received:
            Received(Event.Peer, Event.Bytes);
            break;
        case NetEvent::Kind::Lost:
            Lost(Event.Peer);
            break;
        case NetEvent::Kind::Nothing:
            break;
        }
    }
    if (Now == Stages::Over) {
        return;
    }
    const uint64_t Clock = Net.Millis();
    if (Host) {
        // Strangers that said nothing useful in time.
        for (size_t I = 0; I < Knocking.size();) {
            if (Clock - Knocking[I].Since > HelloMillis) {
                Net.Drop(Knocking[I].Peer, false);
                Knocking.erase(Knocking.begin() + long(I));
            } else {
                ++I;
            }
        }
        if (Now == Stages::Connecting && Partner != NoPeer && Clock - Heard > SilenceMillis) {
            Note("the other machine went silent before the session began: waiting for another");
            GuestsGone++;
            Net.Drop(Partner, false);
            Partner = NoPeer;
        }
    } else if (Now == Stages::Connecting && !EverConnected && Clock - Started > PatienceMillis) {
        End("nobody answered" + Place, false);
        return;
    } else if (Now == Stages::Connecting && EverConnected && Clock - ConnectedAt > SilenceMillis) {
        // Someone answered, and on a bad network the welcome may take a few resends; but not
        // forever. The host learns that its guest gave up: the connection closes with a goodbye.
        End("the host did not answer" + Place, false);
        return;
    }
    if (Now == Stages::Agreed && !Bearing && Clock - Heard > SilenceMillis) {
        End("connection lost");
    }
}

void NetSession::Bear(bool Away) {
    if (Bearing && !Away) {
        Heard = Net.Millis();
    }
    Bearing = Away;
}

void NetSession::Connected(PeerId Peer) {
    if (!Host) {
        Partner = Peer;
        EverConnected = true;
        ConnectedAt = Net.Millis();
        Wire::Message Hello;
        Hello.Type = Wire::Kind::Hello;
        Hello.Fingerprint = Fingerprint;
        Send(Hello, true);
        return;
    }
    if (Partner != NoPeer) {
        Turn(Peer, Wire::Refusal::Full);
        return;
    }
    const uint64_t From = Net.Address(Peer);
    const size_t Same = size_t(std::count_if(Knocking.begin(), Knocking.end(),
                                             [&](const Knock &K) { return Net.Address(K.Peer) == From; }));
    if (Same >= PerAddress) {
        Net.Drop(Peer, false);
        return;
    }
    Knocking.push_back(Knock{Peer, Net.Millis()});
}

void NetSession::Forget(PeerId Peer) {
    Knocking.erase(
        std::remove_if(Knocking.begin(), Knocking.end(), [Peer](const Knock &K) { return K.Peer == Peer; }),
        Knocking.end());
}

void NetSession::Turn(PeerId Peer, Wire::Refusal Why) {
    Wire::Message No;
    No.Type = Wire::Kind::Refuse;
    No.Reason = Why;
    Net.Send(Peer, Wire::Encode(No), true);
    Net.Drop(Peer, true);
    Forget(Peer);
}

void NetSession::Received(PeerId Peer, const std::vector<uint8_t> &Bytes) {
    Wire::Message In;
    const bool Valid = Wire::Decode(Bytes.data(), Bytes.size(), In);
    if (Host && Peer != Partner) {
        const bool Knocked = std::any_of(Knocking.begin(), Knocking.end(), [Peer](const Knock &K) { return K.Peer == Peer; });
        if (!Knocked) {
            return; // one already let go
        }
        if (Valid && In.Type == Wire::Kind::Hello) {
            Hello(Peer, In);
        } else {
            // Not how a guest begins: let go, and the host waits on.
            Net.Drop(Peer, false);
            Forget(Peer);
        }
        return;
    }
    if (Peer != Partner || !Valid) {
        return;
    }
    if (Now == Stages::Connecting) {
        if (Host) {
            // The guest's first word after the welcome: the session is on.
            if (In.Session == Welcome.Session && In.Type == Wire::Kind::Bye) {
                Lost(Peer);
                Net.Drop(Peer, false);
            } else if (In.Session == Welcome.Session && In.Type != Wire::Kind::Refuse) {
                Now = Stages::Agreed;
                Heard = Net.Millis();
                HeardFromGuest = true;
                if (In.Type != Wire::Kind::Hello && In.Type != Wire::Kind::Bye) {
                    Waiting.push_back(In);
                }
            } else if (In.Type == Wire::Kind::Refuse) {
                Note("the guest turned this game away: " + std::string(Sentences::OtherBuild));
                Net.Drop(Partner, true);
                Partner = NoPeer;
            }
            return;
        }
        if (In.Type == Wire::Kind::Refuse) {
            End(In.Reason == Wire::Refusal::Full ? Sentences::Full : Sentences::OtherBuild);
        } else if (In.Type == Wire::Kind::Welcome) {
            if (In.Version != Wire::ProtocolVersion || In.Fingerprint != Fingerprint) {
                Wire::Message No;
                No.Type = Wire::Kind::Refuse;
                No.Reason = Wire::Refusal::OtherBuild;
                Net.Send(Partner, Wire::Encode(No), true);
                End(Sentences::OtherBuild);
                return;
            }
            Welcome = In;
            Now = Stages::Agreed;
            Heard = Net.Millis();
            // A first word of the session, so that the host knows its guest is there.
            Wire::Message Here;
            Here.Type = Wire::Kind::Hello;
            Here.Fingerprint = Fingerprint;
            Send(Here, true);
        }
        return;
    }
    if (In.Session != Welcome.Session) {
        return; // a stray datagram of an earlier session
    }
    Heard = Net.Millis();
    if (In.Type == Wire::Kind::Bye) {
        End("the other player left");
    } else if (In.Type != Wire::Kind::Hello && In.Type != Wire::Kind::Welcome && In.Type != Wire::Kind::Refuse &&
               Waiting.size() < MaxWaiting) {
        Waiting.push_back(In);
    }
}

// A would-be guest's hello: the guest if it runs this build, turned away if not.
void NetSession::Hello(PeerId Peer, const Wire::Message &In) {
    if (In.Version != Wire::ProtocolVersion || In.Fingerprint != Fingerprint) {
        Turn(Peer, Wire::Refusal::OtherBuild);
        Note("a machine of another build was turned away: both must run the same one");
        return;
    }
    Forget(Peer);
    Partner = Peer;
    Heard = Net.Millis();
    Send(Welcome, true);
    // Whoever else is knocking: the place is taken.
    while (!Knocking.empty()) {
        Turn(Knocking.front().Peer, Wire::Refusal::Full);
    }
}

void NetSession::Lost(PeerId Peer) {
    if (Host && Peer != Partner) {
        Forget(Peer);
        return;
    }
    if (Peer != Partner) {
        return;
    }
    if (Host && Now == Stages::Connecting) {
        Note("the other machine gave up before the session began: waiting for another");
        GuestsGone++;
        Partner = NoPeer;
        return;
    }
    Partner = NoPeer;
    if (Now == Stages::Agreed) {
        End("connection lost");
    } else if (!Host) {
        End(EverConnected ? "the host closed the connection" : "nobody answered" + Place);
    }
}

void NetSession::Send(Wire::Message Out, bool Reliable) {
    if (Partner == NoPeer || Now == Stages::Over) {
        return;
    }
    Out.Session = Welcome.Session;
    if (!Net.Send(Partner, Wire::Encode(Out), Reliable)) {
        End("connection lost");
    }
}

void NetSession::End(const std::string &Why, bool Linger) {
    if (Now == Stages::Over) {
        return;
    }
    Now = Stages::Over;
    Reason = Why;
    Knocking.clear();
    if (Partner != NoPeer) {
        LastRoundTrip = Net.RoundTripMillis(Partner);
    }
    Partner = NoPeer;
    Net.Close(Linger);
}

void NetSession::SayGoodbye() {
    if (Now == Stages::Agreed && Partner != NoPeer && !SaidGoodbye) {
        SaidGoodbye = true;
        Wire::Message Bye;
        Bye.Type = Wire::Kind::Bye;
        Send(Bye, true);
    }
}

void NetSession::Leave() {
    SayGoodbye();
    End("");
}
