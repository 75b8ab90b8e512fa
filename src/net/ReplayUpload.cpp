#include "net/ReplayUpload.h"

#include <algorithm>

#include "net/Meeting.h"

namespace ReplayUpload {

namespace {

constexpr size_t PieceSize = Meeting::MaxMessageSize - HeaderSize;

void Put(std::vector<uint8_t> &Out, uint64_t Value, int Bytes) {
    for (int I = 0; I < Bytes; ++I) {
        Out.push_back(uint8_t(Value >> (8 * I)));
    }
}

uint32_t Get(const uint8_t *At, int Bytes) {
    uint32_t Value = 0;
    for (int I = 0; I < Bytes; ++I) {
        Value |= uint32_t(At[I]) << (8 * I);
    }
    return Value;
}

} // namespace

std::vector<std::vector<uint8_t>> Cut(uint32_t Session, uint16_t Screen, const std::vector<uint8_t> &File) {
    std::vector<std::vector<uint8_t>> Pieces;
    if (File.empty() || File.size() > MaxFileSize) {
        return Pieces;
    }
    for (size_t Offset = 0; Offset < File.size(); Offset += PieceSize) {
        const size_t Size = std::min(PieceSize, File.size() - Offset);
        std::vector<uint8_t> Out;
        Put(Out, Meeting::Magic, 2);
        Put(Out, Meeting::Version, 1);
        Put(Out, Kind, 1);
        Put(Out, Session, 4);
        Put(Out, Screen, 2);
        Put(Out, Offset, 4);
        Put(Out, File.size(), 4);
        Out.insert(Out.end(), File.begin() + long(Offset), File.begin() + long(Offset + Size));
        Pieces.push_back(std::move(Out));
    }
    return Pieces;
}

bool Read(const uint8_t *Bytes, size_t Size, Piece &Out) {
    if (Bytes == nullptr || Size <= HeaderSize || Size > Meeting::MaxMessageSize ||
        Get(Bytes, 2) != Meeting::Magic || Bytes[2] != Meeting::Version || Bytes[3] != Kind) {
        return false;
    }
    Piece P;
    P.Session = Get(Bytes + 4, 4);
    P.Screen = uint16_t(Get(Bytes + 8, 2));
    P.Offset = Get(Bytes + 10, 4);
    P.Total = Get(Bytes + 14, 4);
    P.Bytes = Bytes + HeaderSize;
    P.Size = Size - HeaderSize;
    if (P.Total == 0 || P.Total > MaxFileSize || P.Offset >= P.Total || P.Size > P.Total - P.Offset) {
        return false;
    }
    Out = P;
    return true;
}

} // namespace ReplayUpload
