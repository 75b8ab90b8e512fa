// PNG written by hand: 8-bit RGB, no filtering, the image data in stored (uncompressed) deflate
// blocks. Larger than a compressed file, but exact, small to write, and needing no library.
#include "platform/Png.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Crc32.h"

namespace {

void PutBig(std::vector<uint8_t> &Out, uint32_t Value) {
    for (int Shift = 24; Shift >= 0; Shift -= 8) {
        Out.push_back(static_cast<uint8_t>(Value >> Shift));
    }
}

void PutChunk(std::vector<uint8_t> &Out, const char *Type, const std::vector<uint8_t> &Data) {
    PutBig(Out, static_cast<uint32_t>(Data.size()));
    const size_t Start = Out.size();
    Out.insert(Out.end(), Type, Type + 4);
    Out.insert(Out.end(), Data.begin(), Data.end());
    PutBig(Out, Crc32(Out.data() + Start, Out.size() - Start));
}

// A zlib stream of stored blocks (each at most 65535 bytes) around Raw.
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
        Out.insert(Out.end(), Raw.begin() + static_cast<ptrdiff_t>(Done),
                   Raw.begin() + static_cast<ptrdiff_t>(Done + Length));
        Done += Length;
    } while (Done < Raw.size());
    uint32_t A = 1, B = 0; // Adler-32
    for (uint8_t Byte : Raw) {
        A = (A + Byte) % 65521;
        B = (B + A) % 65521;
    }
    PutBig(Out, B << 16 | A);
    return Out;
}

} // namespace

std::vector<uint8_t> EncodePng(const Surface &Picture, const Surface *Mask) {
    const size_t Channels = Mask != nullptr ? 4 : 3;
    std::vector<uint8_t> Raw;
    Raw.reserve(static_cast<size_t>(Picture.Height) * (1 + Channels * static_cast<size_t>(Picture.Width)));
    for (int32_t Y = 0; Y < Picture.Height; ++Y) {
        Raw.push_back(0); // no filter
        for (int32_t X = 0; X < Picture.Width; ++X) {
            const uint32_t Pixel = Picture.At(X, Y);
            Raw.push_back(static_cast<uint8_t>(Pixel));
            Raw.push_back(static_cast<uint8_t>(Pixel >> 8));
            Raw.push_back(static_cast<uint8_t>(Pixel >> 16));
            if (Mask != nullptr) {
                // White in the mask is see-through.
                Raw.push_back((Mask->At(X, Y) & 0xFFFFFF) == 0xFFFFFF ? 0 : 255);
            }
        }
    }
    std::vector<uint8_t> Header;
    PutBig(Header, static_cast<uint32_t>(Picture.Width));
    PutBig(Header, static_cast<uint32_t>(Picture.Height));
    // 8 bits, RGB or RGB with alpha, deflate, no filter choice, no interlace.
    Header.insert(Header.end(), {8, static_cast<uint8_t>(Mask != nullptr ? 6 : 2), 0, 0, 0});
    std::vector<uint8_t> Out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(Out, "IHDR", Header);
    PutChunk(Out, "IDAT", Stored(Raw));
    PutChunk(Out, "IEND", {});
    return Out;
}

bool WritePng(const Surface &Picture, const std::string &Path, std::string &Error) {
    const std::vector<uint8_t> Bytes = EncodePng(Picture);
    std::FILE *File = std::fopen(Path.c_str(), "wb");
    if (File == nullptr) {
        Error = std::strerror(errno);
        return false;
    }
    const bool Written = std::fwrite(Bytes.data(), 1, Bytes.size(), File) == Bytes.size();
    const bool Closed = std::fclose(File) == 0;
    if (!Written || !Closed) {
        Error = "could not write all of the file";
        return false;
    }
    return true;
}
