// A small PNG writer of the project's own: 8-bit RGB rows, unfiltered, in stored (uncompressed)
// deflate blocks. The pictures are small and only the headless tool writes them, so size matters
// less than needing no image library.
#include "platform/Png.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const std::array<uint32_t, 256> &CrcTable() {
    static const std::array<uint32_t, 256> Table = [] {
        std::array<uint32_t, 256> T{};
        for (uint32_t N = 0; N < 256; ++N) {
            uint32_t C = N;
            for (int K = 0; K < 8; ++K) {
                C = (C & 1) != 0 ? 0xEDB88320u ^ (C >> 1) : C >> 1;
            }
            T[N] = C;
        }
        return T;
    }();
    return Table;
}

void PutBig32(std::vector<uint8_t> &Out, uint32_t Value) {
    for (int Shift = 24; Shift >= 0; Shift -= 8) {
        Out.push_back(static_cast<uint8_t>(Value >> Shift));
    }
}

// A chunk: length, type, data, and the CRC-32 of type and data.
void PutChunk(std::vector<uint8_t> &Out, const char *Type, const std::vector<uint8_t> &Data) {
    PutBig32(Out, static_cast<uint32_t>(Data.size()));
    const size_t Start = Out.size();
    Out.insert(Out.end(), Type, Type + 4);
    Out.insert(Out.end(), Data.begin(), Data.end());
    uint32_t Crc = 0xFFFFFFFFu;
    for (size_t I = Start; I < Out.size(); ++I) {
        Crc = CrcTable()[(Crc ^ Out[I]) & 0xFF] ^ (Crc >> 8);
    }
    PutBig32(Out, Crc ^ 0xFFFFFFFFu);
}

// The zlib stream of Raw in stored blocks of at most 65535 bytes, with its Adler-32.
std::vector<uint8_t> Stored(const std::vector<uint8_t> &Raw) {
    std::vector<uint8_t> Out = {0x78, 0x01};
    size_t Done = 0;
    do {
        const size_t Length = std::min<size_t>(Raw.size() - Done, 65535);
        const bool Last = Done + Length == Raw.size();
        Out.push_back(Last ? 1 : 0);
        Out.push_back(static_cast<uint8_t>(Length));
        Out.push_back(static_cast<uint8_t>(Length >> 8));
        Out.push_back(static_cast<uint8_t>(~Length));
        Out.push_back(static_cast<uint8_t>(~Length >> 8));
        Out.insert(Out.end(), Raw.begin() + static_cast<std::ptrdiff_t>(Done),
                   Raw.begin() + static_cast<std::ptrdiff_t>(Done + Length));
        Done += Length;
    } while (Done < Raw.size());
    uint32_t A = 1, B = 0;
    for (uint8_t Byte : Raw) {
        A = (A + Byte) % 65521;
        B = (B + A) % 65521;
    }
    PutBig32(Out, (B << 16) | A);
    return Out;
}

} // namespace

std::vector<uint8_t> EncodePng(const Surface &Picture, const Surface *Mask) {
    std::vector<uint8_t> Out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> Header;
    PutBig32(Header, static_cast<uint32_t>(Picture.Width));
    PutBig32(Header, static_cast<uint32_t>(Picture.Height));
    // 8 bits a sample, RGB (or RGB and alpha), deflate, the standard filters, no interlace.
    Header.insert(Header.end(), {8, static_cast<uint8_t>(Mask != nullptr ? 6 : 2), 0, 0, 0});
    PutChunk(Out, "IHDR", Header);
    // Each row: filter type 0 (none), then red, green, blue (and alpha: a white mask pixel is
    // transparent); the surface's top byte is unused.
    std::vector<uint8_t> Raw;
    Raw.reserve(static_cast<size_t>(Picture.Height) * (1 + 4 * static_cast<size_t>(Picture.Width)));
    for (int32_t Y = 0; Y < Picture.Height; ++Y) {
        Raw.push_back(0);
        for (int32_t X = 0; X < Picture.Width; ++X) {
            const uint32_t Pixel = Picture.Pixels[static_cast<size_t>(Y) * Picture.Width + X];
            Raw.insert(Raw.end(), {static_cast<uint8_t>(Pixel), static_cast<uint8_t>(Pixel >> 8),
                                   static_cast<uint8_t>(Pixel >> 16)});
            if (Mask != nullptr) {
                const bool Clear =
                    (Mask->Pixels[static_cast<size_t>(Y) * Mask->Width + X] & 0xFFFFFF) == 0xFFFFFF;
                Raw.push_back(Clear ? 0 : 255);
            }
        }
    }
    PutChunk(Out, "IDAT", Stored(Raw));
    PutChunk(Out, "IEND", {});
    return Out;
}

bool WritePng(const Surface &Picture, const std::string &Path, std::string &Error) {
    const std::vector<uint8_t> Bytes = EncodePng(Picture);
    std::FILE *File = std::fopen(Path.c_str(), "wb");
    if (File == nullptr) {
        Error = "cannot create " + Path + ": " + std::strerror(errno);
        return false;
    }
    const bool Written = std::fwrite(Bytes.data(), 1, Bytes.size(), File) == Bytes.size();
    const bool Closed = std::fclose(File) == 0;
    if (!Written || !Closed) {
        Error = "cannot write " + Path;
        return false;
    }
    return true;
}
