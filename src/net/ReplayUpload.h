// A finished match's replay file, sent by each player to the server in pieces over the connection the
// match was played on, so that a server that keeps matches has the file whole: the server only relays
// inputs and knows no rules, so it could not tell the line-up the select screen left or the score
// from them. A piece shares the frozen first 8 bytes (mark, version, kind, session) with every message
// of the game, with a kind of its own the session never uses; a server that keeps nothing drops it.
//
// A piece, little-endian: the 8 bytes, then the match's screen in the session u16 (the same number on
// both machines), the offset of the piece in the file u32, the file's whole length u32, and the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ReplayUpload {

constexpr uint8_t Kind = 0x50;
constexpr size_t HeaderSize = 18;
// A match to 15 is a few kilobytes (a run of held keys takes a byte or two); a file beyond this,
// an hour of keys changing every few ticks, is not taken.
constexpr uint32_t MaxFileSize = 64 * 1024;

struct Piece {
    uint32_t Session = 0;
    uint16_t Screen = 0;
    uint32_t Offset = 0, Total = 0;
    const uint8_t *Bytes = nullptr;
    size_t Size = 0;
};

// The file cut into messages no longer than any other of the game's; none for a file too large.
std::vector<std::vector<uint8_t>> Cut(uint32_t Session, uint16_t Screen, const std::vector<uint8_t> &File);
// False for anything that is not one well-formed piece lying within its file.
bool Read(const uint8_t *Bytes, size_t Size, Piece &Out);

} // namespace ReplayUpload
