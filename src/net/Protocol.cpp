#include "net/Protocol.h"

namespace Wire {

namespace {

class Writer {
  public:
    std::vector<uint8_t> Bytes;
    void U8(uint8_t V) { Bytes.push_back(V); }
    void U16(uint16_t V) {
        U8(uint8_t(V));
        U8(uint8_t(V >> 8));
    }
    void U32(uint32_t V) {
        U16(uint16_t(V));
        U16(uint16_t(V >> 16));
    }
    void U64(uint64_t V) {
        U32(uint32_t(V));
        U32(uint32_t(V >> 32));
    }
};

class Reader {
  public:
    Reader(const uint8_t *Bytes, size_t Size) : At(Bytes), Left(Size) {}
    bool Ok = true;
    uint8_t U8() {
        if (Left == 0) {
            Ok = false;
            return 0;
        }
        Left--;
        return *At++;
    }
    // Each read in its own statement: the bytes are taken in order, low byte first, whatever order
    // a compiler would evaluate the operands of one expression in.
    uint16_t U16() {
        const uint16_t Low = U8();
        const uint16_t High = U8();
        return uint16_t(Low | High << 8);
    }
    uint32_t U32() {
        const uint32_t Low = U16();
        const uint32_t High = U16();
        return Low | High << 16;
    }
    uint64_t U64() {
        const uint64_t Low = U32();
        const uint64_t High = U32();
        return Low | High << 32;
    }
    bool Done() const { return Ok && Left == 0; }

  private:
    const uint8_t *At;
    size_t Left;
};

bool LineupValid(const Message &M) {
    int Count[2] = {0, 0};
    bool Used[2][3] = {};
    for (int I = 0; I < 4; ++I) {
        if (M.Sides[I] < 0 || M.Sides[I] > 1 || M.Slots[I] < 0 || M.Slots[I] > 2 ||
            Used[M.Sides[I]][M.Slots[I]]) {
            return false;
        }
        Used[M.Sides[I]][M.Slots[I]] = true;
        Count[M.Sides[I]]++;
    }
    const bool PeopleValid = M.People[0] >= -1 && M.People[0] < 4 && M.People[1] >= -1 && M.People[1] < 4 &&
                             (M.People[0] != M.People[1] || M.People[0] == -1);
    return Count[0] >= 1 && Count[1] >= 1 && PeopleValid;
}

bool TickValid(int32_t Tick) {
    return Tick >= 0 && Tick <= MaxTick;
}

bool PlaceValid(const Message &M) {
    return M.Screen <= MaxScreen && M.Segment <= MaxSegment;
}

} // namespace

std::vector<uint8_t> Encode(const Message &Out) {
    Writer W;
    W.U16(Magic);
    W.U8(Out.Version);
    W.U8(uint8_t(Out.Type));
    W.U32(Out.Session);
    switch (Out.Type) {
    case Kind::Hello:
        W.U32(Out.Fingerprint);
        break;
    case Kind::Welcome:
        W.U32(Out.Fingerprint);
        for (int I = 0; I < 4; ++I) {
            W.U8(uint8_t(Out.Sides[I]));
            W.U8(uint8_t(Out.Slots[I]));
        }
        W.U8(uint8_t(Out.People[0]));
        W.U8(uint8_t(Out.People[1]));
        W.U8(Out.Seeded);
        W.U64(Out.Seed);
        break;
    case Kind::Refuse:
        W.U8(uint8_t(Out.Reason));
        break;
    case Kind::Inputs:
        W.U16(Out.Screen);
        W.U16(Out.Segment);
        W.U32(uint32_t(Out.Ack));
        W.U32(uint32_t(Out.SenderFrame));
        W.U32(uint32_t(Out.First));
        W.U8(Out.Count);
        for (int I = 0; I < Out.Count && I < MaxInputs; ++I) {
            W.U8(Out.Inputs[I]);
        }
        break;
    case Kind::Checksum:
    case Kind::Finish:
        W.U16(Out.Screen);
        W.U16(Out.Segment);
        W.U32(uint32_t(Out.Frame));
        W.U32(Out.Value);
        break;
    case Kind::Resume:
    case Kind::Leave:
        W.U16(Out.Screen);
        W.U16(Out.Segment);
        break;
    case Kind::Bye:
        W.U32(uint32_t(Out.Frame));
        break;
    }
    return W.Bytes;
}

bool Decode(const uint8_t *Bytes, size_t Size, Message &In) {
    if (Bytes == nullptr || Size < 8 || Size > LargestMessage) {
        return false;
    }
    Reader R(Bytes, Size);
    if (R.U16() != Magic) {
        return false; // another program's datagram
    }
    In = Message{};
    In.Version = R.U8();
    const uint8_t Type = R.U8();
    In.Session = R.U32();
    // Only the handshake is read across versions, so that another version can be told so: its
    // first fields, whatever a newer build has put after them.
    const bool Foreign = In.Version != ProtocolVersion;
    if (Foreign && Type != uint8_t(Kind::Hello) && Type != uint8_t(Kind::Refuse)) {
        return false;
    }
    switch (Type) {
    case uint8_t(Kind::Hello):
        In.Type = Kind::Hello;
        In.Fingerprint = R.U32();
        if (Foreign) {
            return R.Ok;
        }
        break;
    case uint8_t(Kind::Welcome):
        In.Type = Kind::Welcome;
        In.Fingerprint = R.U32();
        for (int I = 0; I < 4; ++I) {
            In.Sides[I] = int8_t(R.U8());
            In.Slots[I] = int8_t(R.U8());
        }
        In.People[0] = int8_t(R.U8());
        In.People[1] = int8_t(R.U8());
        In.Seeded = R.U8();
        In.Seed = R.U64();
        if (!R.Ok || !LineupValid(In) || In.Seeded > 1) {
            return false;
        }
        break;
    case uint8_t(Kind::Refuse):
        In.Type = Kind::Refuse;
        In.Reason = Refusal(R.U8());
        if (Foreign && R.Ok) {
            // A reason this build does not know is still a refusal: of another build.
            if (In.Reason != Refusal::Full) {
                In.Reason = Refusal::OtherBuild;
            }
            return true;
        }
        if (In.Reason != Refusal::OtherBuild && In.Reason != Refusal::Full) {
            return false;
        }
        break;
    case uint8_t(Kind::Inputs):
        In.Type = Kind::Inputs;
        In.Screen = R.U16();
        In.Segment = R.U16();
        In.Ack = int32_t(R.U32());
        In.SenderFrame = int32_t(R.U32());
        In.First = int32_t(R.U32());
        In.Count = R.U8();
        if (In.Count > MaxInputs || !TickValid(In.Ack) || !TickValid(In.SenderFrame) || !TickValid(In.First) ||
            In.First + In.Count > MaxTick || !PlaceValid(In)) {
            return false;
        }
        for (int I = 0; I < In.Count; ++I) {
            In.Inputs[I] = R.U8();
        }
        break;
    case uint8_t(Kind::Checksum):
    case uint8_t(Kind::Finish):
        In.Type = Kind(Type);
        In.Screen = R.U16();
        In.Segment = R.U16();
        In.Frame = int32_t(R.U32());
        In.Value = R.U32();
        if (!TickValid(In.Frame) || !PlaceValid(In)) {
            return false;
        }
        break;
    case uint8_t(Kind::Resume):
    case uint8_t(Kind::Leave):
        In.Type = Kind(Type);
        In.Screen = R.U16();
        In.Segment = R.U16();
        if (!PlaceValid(In)) {
            return false;
        }
        break;
    case uint8_t(Kind::Bye):
        In.Type = Kind::Bye;
        In.Frame = int32_t(R.U32());
        if (!TickValid(In.Frame)) {
            return false;
        }
        break;
    default:
        return false;
    }
    return R.Done();
}

} // namespace Wire
