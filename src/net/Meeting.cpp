#include "net/Meeting.h"

#include <cctype>

namespace Meeting {

namespace {

void PutU16(std::vector<uint8_t> &B, uint16_t V) {
    B.push_back(uint8_t(V));
    B.push_back(uint8_t(V >> 8));
}

uint16_t GetU16(const uint8_t *P) {
    return uint16_t(P[0] | P[1] << 8);
}

void PutU32(std::vector<uint8_t> &B, uint32_t V) {
    PutU16(B, uint16_t(V));
    PutU16(B, uint16_t(V >> 16));
}

uint32_t GetU32(const uint8_t *P) {
    return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}

bool CodeLetter(char C) {
    for (int I = 0; I < CodeAlphabetSize; ++I) {
        if (CodeAlphabet[I] == C) {
            return true;
        }
    }
    return false;
}

bool ValidCode(const std::array<char, CodeLength> &Code) {
    for (char C : Code) {
        if (!CodeLetter(C)) {
            return false;
        }
    }
    return true;
}

// The bytes after the header, by kind: every message has exactly this length (Start and Ticks,
// at least it, then what they carry).
size_t BodySize(Kind Type) {
    switch (Type) {
    case Kind::Ask:
        return 1 + CodeLength + 1 + 4;
    case Kind::Watch:
        return CodeLength + 1 + 4;
    case Kind::Start:
        return 2;
    case Kind::Ticks:
        return 2 + 4 + 1;
    case Kind::Finished:
        return 2 + 4;
    case Kind::Watchers:
        return 2;
    case Kind::Code:
        return CodeLength;
    case Kind::Paired:
    case Kind::Refused:
    case Kind::Over:
        return 1;
    }
    return 0;
}

} // namespace

bool IsMeetingKind(uint8_t K) {
    return (K >= uint8_t(Kind::Ask) && K <= uint8_t(Kind::Over)) ||
           (K >= uint8_t(Kind::Watch) && K <= uint8_t(Kind::Watchers));
}

bool ReadHeader(const uint8_t *Bytes, size_t Size, Header &Out) {
    if (Bytes == nullptr || Size < HeaderSize || Size > MaxMessageSize) {
        return false;
    }
    if ((uint16_t(Bytes[0]) | uint16_t(Bytes[1]) << 8) != Magic) {
        return false;
    }
    Out.Version = Bytes[2];
    Out.Kind = Bytes[3];
    Out.Session = GetU32(Bytes + 4);
    return true;
}

std::vector<uint8_t> Encode(const Message &Out) {
    std::vector<uint8_t> B;
    PutU16(B, Magic);
    B.push_back(Version);
    B.push_back(uint8_t(Out.Type));
    PutU32(B, Out.Session);
    switch (Out.Type) {
    case Kind::Ask:
        B.push_back(uint8_t(Out.Wanted));
        B.insert(B.end(), Out.Room.begin(), Out.Room.end());
        B.push_back(Out.Protocol);
        PutU32(B, Out.Fingerprint);
        break;
    case Kind::Code:
        B.insert(B.end(), Out.Room.begin(), Out.Room.end());
        break;
    case Kind::Paired:
        B.push_back(Out.Host ? 1 : 0);
        break;
    case Kind::Refused:
    case Kind::Over:
        B.push_back(uint8_t(Out.Why));
        break;
    case Kind::Watch:
        B.insert(B.end(), Out.Room.begin(), Out.Room.end());
        B.push_back(Out.Protocol);
        PutU32(B, Out.Fingerprint);
        break;
    case Kind::Start:
        PutU16(B, Out.Screen);
        B.insert(B.end(), Out.Bytes.begin(), Out.Bytes.end());
        break;
    case Kind::Ticks:
        PutU16(B, Out.Screen);
        PutU32(B, Out.First);
        B.push_back(uint8_t(Out.Bytes.size() / 2));
        B.insert(B.end(), Out.Bytes.begin(), Out.Bytes.end());
        break;
    case Kind::Finished:
        PutU16(B, Out.Screen);
        PutU32(B, Out.Last);
        break;
    case Kind::Watchers:
        PutU16(B, Out.Count);
        break;
    }
    return B;
}

bool Decode(const uint8_t *Bytes, size_t Size, Message &In) {
    Header H;
    if (!ReadHeader(Bytes, Size, H) || H.Version != Version || !IsMeetingKind(H.Kind)) {
        return false;
    }
    In = Message{};
    In.Type = Kind(H.Kind);
    In.Session = H.Session;
    const size_t Body = BodySize(In.Type);
    const uint8_t *P = Bytes + HeaderSize;
    if (In.Type == Kind::Start) {
        if (Size <= HeaderSize + Body || Size > HeaderSize + Body + MaxStartRecord) {
            return false;
        }
        In.Screen = GetU16(P);
        In.Bytes.assign(P + Body, Bytes + Size);
        return true;
    }
    if (In.Type == Kind::Ticks) {
        if (Size < HeaderSize + Body) {
            return false;
        }
        const size_t Ticks = P[6];
        if (Ticks == 0 || Ticks > size_t(MaxTicksPerMessage) || Size != HeaderSize + Body + 2 * Ticks) {
            return false;
        }
        In.Screen = GetU16(P);
        In.First = GetU32(P + 2);
        In.Bytes.assign(P + Body, Bytes + Size);
        return In.First >= 1;
    }
    if (Size != HeaderSize + Body) {
        return false;
    }
    switch (In.Type) {
    case Kind::Ask:
        if (P[0] < uint8_t(Want::Quick) || P[0] > uint8_t(Want::JoinRoom)) {
            return false;
        }
        In.Wanted = Want(P[0]);
        for (int I = 0; I < CodeLength; ++I) {
            In.Room[size_t(I)] = char(P[1 + I]);
        }
        In.Protocol = P[1 + CodeLength];
        In.Fingerprint = GetU32(P + 2 + CodeLength);
        // Only a join names a room; an unreadable code is a wrong code, counted by the server.
        return true;
    case Kind::Code:
        for (int I = 0; I < CodeLength; ++I) {
            In.Room[size_t(I)] = char(P[I]);
        }
        return ValidCode(In.Room);
    case Kind::Paired:
        if (P[0] > 1) {
            return false;
        }
        In.Host = P[0] == 1;
        return In.Session != 0;
    case Kind::Refused:
    case Kind::Over:
        if (P[0] == 0 || P[0] > LastReason) {
            return false;
        }
        In.Why = Reason(P[0]);
        return true;
    case Kind::Watch:
        for (int I = 0; I < CodeLength; ++I) {
            In.Room[size_t(I)] = char(P[I]);
        }
        In.Protocol = P[CodeLength];
        In.Fingerprint = GetU32(P + 1 + CodeLength);
        return true; // a code that cannot be one is a wrong code, counted by the server
    case Kind::Finished:
        In.Screen = GetU16(P);
        In.Last = GetU32(P + 2);
        return true;
    case Kind::Watchers:
        In.Count = GetU16(P);
        return true;
    case Kind::Start:
    case Kind::Ticks:
        break;
    }
    return false;
}

bool ValidCode(const std::string &Code) {
    if (Code.size() != size_t(CodeLength)) {
        return false;
    }
    for (char C : Code) {
        if (!CodeLetter(C)) {
            return false;
        }
    }
    return true;
}

std::string NormalCode(const std::string &Typed) {
    std::string Code;
    for (char C : Typed) {
        Code += char(std::toupper(static_cast<unsigned char>(C)));
    }
    return ValidCode(Code) ? Code : std::string();
}

const char *Sentence(Reason Why) {
    switch (Why) {
    case Reason::None:
        return "";
    case Reason::OtherBuild:
        return "the other machine runs another build of the game: both must run the same one";
    case Reason::Full:
        return "that room already has two players";
    case Reason::NoSuchRoom:
        return "no room has that code";
    case Reason::TooManyTries:
        return "too many wrong codes: wait a minute and try again";
    case Reason::ServerFull:
        return "the server is full: try again later";
    case Reason::Closed:
        return "the room closed: nobody came for 10 minutes";
    case Reason::PartnerLeft:
        return "the other player left";
    case Reason::PartnerLost:
        return "connection lost";
    case Reason::GoingAway:
        return "the server is going away";
    case Reason::PlayersLeft:
        return "the players left";
    case Reason::NoSeats:
        return "that room already has 50 watchers";
    }
    return "";
}

} // namespace Meeting
