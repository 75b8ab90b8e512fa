// The few messages a player exchanges with the server before a session starts: ask for a quick
// match, a new room or a room by its code; be told the code, the partner found (host or guest, and
// the session's number) or why not. They share the first 8 bytes every message of the game starts
// with (mark, version, kind, session), with kinds of their own, so the server tells them from the
// session's messages, which it relays without reading further. Nothing here knows the rules.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Meeting {

constexpr uint16_t Magic = 0x5A42;
constexpr uint8_t Version = 1;      // of these messages; changes whenever one of them changes
constexpr size_t HeaderSize = 8;    // mark u16, version u8, kind u8, session u32, little-endian
constexpr size_t MaxMessageSize = 512; // no message of the game is longer
constexpr int CodeLength = 4;
// Room codes use letters nobody mistakes for another letter or a digit: no I, L, O, Q, U, V.
constexpr char CodeAlphabet[] = "ABCDEFGHJKMNPRSTWXYZ";
constexpr int CodeAlphabetSize = sizeof(CodeAlphabet) - 1;

enum class Kind : uint8_t {
    Ask = 0x40,     // player to server: what the player wants, and the player's build
    Code = 0x41,    // server to player: the new room's code
    Paired = 0x42,  // server to player: a partner is there; you are host or guest; the session
    Refused = 0x43, // server to player: why not (the player may ask again)
    Over = 0x44,    // server to player: the room has ended, and why; the connection closes next
};

enum class Want : uint8_t { Quick = 1, NewRoom = 2, JoinRoom = 3 };

enum class Reason : uint8_t {
    None = 0,
    OtherBuild = 1,   // the partner's build differs (protocol version or fingerprint)
    Full = 2,         // the room already has two players
    NoSuchRoom = 3,   // no room has that code
    TooManyTries = 4, // too many wrong codes from this address lately
    ServerFull = 5,   // the server holds as many players as it may
    Closed = 6,       // the room waited too long for a friend
    PartnerLeft = 7,  // the other player left
    PartnerLost = 8,  // the other player went silent
    GoingAway = 9,    // the server is stopping
};
constexpr uint8_t LastReason = uint8_t(Reason::GoingAway);

struct Message {
    Kind Type = Kind::Ask;
    uint32_t Session = 0;
    // Ask.
    Want Wanted = Want::Quick;
    std::array<char, CodeLength> Room = {'A', 'A', 'A', 'A'}; // Ask (JoinRoom) and Code
    uint8_t Protocol = 0;     // Ask: the session protocol's version, compared as is
    uint32_t Fingerprint = 0; // Ask: the build's fingerprint, compared as is
    // Paired.
    bool Host = false;
    // Refused and Over.
    Reason Why = Reason::None;
};

std::vector<uint8_t> Encode(const Message &Out);
// False for anything that is not exactly one well-formed meeting message.
bool Decode(const uint8_t *Bytes, size_t Size, Message &In);

// The frozen first 8 bytes of any message of the game, meeting or session.
struct Header {
    uint8_t Version = 0;
    uint8_t Kind = 0;
    uint32_t Session = 0;
};
bool ReadHeader(const uint8_t *Bytes, size_t Size, Header &Out);
bool IsMeetingKind(uint8_t Kind);

bool ValidCode(const std::string &Code);
// The code as typed, in capitals, if it can be a code at all.
std::string NormalCode(const std::string &Typed);
// What a player is told, one line, for a refusal or the end of a room.
const char *Sentence(Reason Why);

} // namespace Meeting
