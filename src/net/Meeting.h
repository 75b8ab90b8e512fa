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
constexpr uint8_t Version = 1;         // of these messages; changes whenever one of them changes
constexpr size_t HeaderSize = 8;       // mark u16, version u8, kind u8, session u32, little-endian
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
    // Watching a room's match: the watcher asks by the room's code (with its build, as a player
    // does); the room's host tells the server how each match starts (a replay file's header, which
    // the server passes on unread); the server sends watchers each match's start, its confirmed
    // inputs and its end, and tells the players how many watch.
    Watch = 0x48,    // watcher to server: the room's code, the watcher's build
    Start = 0x49,    // host to server, server to watcher: the match of screen Screen starts so
    Ticks = 0x4A,    // server to watcher: both people's inputs of ticks First, First + 1, ...
    Finished = 0x4B, // server to watcher: the match of screen Screen ended at tick Last
    Watchers = 0x4C, // server to player: how many watch the room
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
    PlayersLeft = 10, // to a watcher: the room's players left
    NoSeats = 11,     // to a watcher: the room has as many watchers as it takes
};
constexpr uint8_t LastReason = uint8_t(Reason::NoSeats);
constexpr int MaxWatchers = 50;         // a room's watchers
constexpr size_t MaxStartRecord = 256;  // the bytes of a start
constexpr int MaxTicksPerMessage = 240; // inputs of one Ticks message

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
    // Start, Ticks and Finished: the match's place among the session's screens.
    uint16_t Screen = 0;
    // Start: the match's start record (1 to MaxStartRecord bytes). Ticks: two bytes a tick, the
    // host's person's input then the guest's (1 to MaxTicksPerMessage ticks).
    std::vector<uint8_t> Bytes;
    uint32_t First = 0; // Ticks: the tick of the first inputs (1 for a match's first tick)
    uint32_t Last = 0;  // Finished: the match's last tick
    uint16_t Count = 0; // Watchers
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
