// The messages two machines exchange, and their bytes on the wire. Decoding trusts nothing: a
// datagram that is short, long, of another program or of another session is refused whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/Rollback.h"

namespace Wire {

constexpr uint16_t Magic = 0x5A42;     // the game's mark on every message
constexpr uint8_t ProtocolVersion = 2; // changes whenever a message changes
constexpr int MaxInputs = 64;          // unacknowledged inputs one message can carry

enum class Kind : uint8_t {
    Hello = 1,   // guest to host: my protocol and build
    Welcome = 2, // host to guest: the session, the line-up
    Refuse = 3,  // either way: why the session cannot be
    Inputs = 4,  // unreliable: inputs not yet acknowledged, an acknowledgement, the sender's tick
    Checksum = 5,
    Bye = 6,
    Resume = 7, // reliable: a paused match goes on
    Leave = 8,  // reliable: Escape ended the match
};

enum class Refusal : uint8_t { None = 0, OtherBuild = 1, Full = 2 };

struct Message {
    Kind Type = Kind::Bye;
    uint8_t Version = ProtocolVersion;
    uint32_t Session = 0;
    // Hello and Welcome.
    uint32_t Fingerprint = 0;
    int8_t Sides[4] = {0, 1, 0, 1}, Slots[4] = {0, 0, 1, 1};
    int8_t People[2] = {-1, -1};
    uint8_t Seeded = 0;
    uint64_t Seed = 0;
    // Refuse.
    Refusal Reason = Refusal::None;
    // Inputs, Checksum, Resume and Leave: the screen of the session they belong to (the first
    // select screen is 0, its match 1, the next select screen 2, ...), and the segment of a match
    // (its play between two pauses). Anything of another screen is stale and ignored.
    uint16_t Screen = 0;
    uint16_t Segment = 0;
    // Inputs.
    int32_t Ack = 0;         // every input of the receiver's below this has arrived
    int32_t SenderFrame = 0; // ticks the sender has run
    int32_t First = 0;       // the tick of Inputs[0]
    uint8_t Count = 0;
    PadInput Inputs[MaxInputs] = {};
    // Checksum.
    int32_t Frame = 0;
    uint32_t Value = 0;
};

std::vector<uint8_t> Encode(const Message &Out);
// False, with In left unspecified, for anything that is not exactly one well-formed message.
bool Decode(const uint8_t *Bytes, size_t Size, Message &In);

} // namespace Wire
