// The messages two machines exchange, and their bytes on the wire. Decoding trusts nothing: a
// datagram that is short, long, of another program or of another session is refused whole, and so
// is a number a peer sends that could overflow when the game counts on from it.
//
// The first 8 bytes of every message never change: the mark, the version, the kind, the session.
// Nor do the first fields of Hello (the fingerprint) and Refuse (the reason): a newer build may add
// fields after them, and this one still reads who is knocking, and why it was turned away.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "net/Rollback.h"

namespace Wire {

constexpr uint16_t Magic = 0x5A42;     // the game's mark on every message
constexpr uint8_t ProtocolVersion = 3; // changes whenever a message changes
constexpr int MaxInputs = 64;          // unacknowledged inputs one message can carry
constexpr size_t LargestMessage = 512; // no message is longer
// The largest tick, acknowledgement or segment a peer may name: far beyond any match (a tick
// every 33 ms for six days), and far enough below the limit of an int32_t that the game can add
// the inputs of a message, a window or a delay to it without overflow.
constexpr int32_t MaxTick = 1 << 24;
constexpr uint16_t MaxSegment = 1 << 14;
constexpr uint16_t MaxScreen = 1 << 14;
// The seed of an unseeded Welcome whose host plays the select screen shared by both machines (the
// game's windows): its line-up is the select screen's to choose. Any other Welcome gives the
// line-up the match starts from at once (zorbump-sim's, which has no select screen).
constexpr uint64_t SelectScreenSeed = 0x5A42'5345'4C45'4354;

enum class Kind : uint8_t {
    Hello = 1,   // guest to host: my protocol and build
    Welcome = 2, // host to guest: the session, the line-up
    Refuse = 3,  // either way: why the session cannot be
    Inputs = 4,  // unreliable: inputs not yet acknowledged, an acknowledgement, the sender's tick
    Checksum = 5,
    Bye = 6,
    Resume = 7, // reliable: a paused match goes on
    Leave = 8,  // reliable: Escape ended the match
    Finish = 9, // reliable: the last tick of a match on the sender, and its checksum
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
    // Checksum, Finish, Bye.
    int32_t Frame = 0;
    uint32_t Value = 0;
};

std::vector<uint8_t> Encode(const Message &Out);
// False, with In left unspecified, for anything that is not exactly one well-formed message.
bool Decode(const uint8_t *Bytes, size_t Size, Message &In);

} // namespace Wire
