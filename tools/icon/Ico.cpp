#include "tools/icon/Ico.h"

#include <stdexcept>

namespace {

constexpr uint32_t HeaderBytes = 6;
constexpr uint32_t EntryBytes = 16;
constexpr uint32_t BitmapHeaderBytes = 40;

void Put16(std::vector<uint8_t> &Out, uint32_t Value) {
    Out.push_back(static_cast<uint8_t>(Value));
    Out.push_back(static_cast<uint8_t>(Value >> 8));
}

void Put32(std::vector<uint8_t> &Out, uint32_t Value) {
    Put16(Out, Value & 0xFFFF);
    Put16(Out, Value >> 16);
}

bool Clear(const IcoImage &Icon, int32_t X, int32_t Y) {
    return (Icon.Mask->At(X, Y) & 0xFFFFFF) == 0xFFFFFF;
}

// Each row of the AND mask is padded to a whole number of 32-bit words.
uint32_t MaskRowBytes(int32_t Size) {
    return static_cast<uint32_t>((Size + 31) / 32 * 4);
}

uint32_t ImageBytes(int32_t Size) {
    return BitmapHeaderBytes + static_cast<uint32_t>(Size * Size * 4) + MaskRowBytes(Size) * Size;
}

// One image as a device-independent bitmap: its header (twice the height, for the colours and the
// mask stacked), the colours as blue, green, red, alpha, then the mask; rows bottom first.
void PutImage(std::vector<uint8_t> &Out, const IcoImage &Icon) {
    const int32_t Size = Icon.Image->Width;
    Put32(Out, BitmapHeaderBytes);
    Put32(Out, static_cast<uint32_t>(Size));
    Put32(Out, static_cast<uint32_t>(Size * 2));
    Put16(Out, 1);  // planes
    Put16(Out, 32); // bits per pixel
    Put32(Out, 0);  // no compression
    Put32(Out, static_cast<uint32_t>(Size * Size * 4) + MaskRowBytes(Size) * Size);
    for (int I = 0; I < 4; ++I) {
        Put32(Out, 0); // resolution and palette: unused
    }
    for (int32_t Y = Size - 1; Y >= 0; --Y) {
        for (int32_t X = 0; X < Size; ++X) {
            const uint32_t Pixel = Icon.Image->At(X, Y); // red in the low byte
            const bool Hidden = Clear(Icon, X, Y);
            Out.push_back(Hidden ? 0 : static_cast<uint8_t>(Pixel >> 16));
            Out.push_back(Hidden ? 0 : static_cast<uint8_t>(Pixel >> 8));
            Out.push_back(Hidden ? 0 : static_cast<uint8_t>(Pixel));
            Out.push_back(Hidden ? 0 : 255);
        }
    }
    for (int32_t Y = Size - 1; Y >= 0; --Y) {
        std::vector<uint8_t> Row(MaskRowBytes(Size), 0);
        for (int32_t X = 0; X < Size; ++X) {
            if (Clear(Icon, X, Y)) {
                Row[X / 8] |= static_cast<uint8_t>(0x80 >> (X % 8));
            }
        }
        Out.insert(Out.end(), Row.begin(), Row.end());
    }
}

} // namespace

std::vector<uint8_t> EncodeIco(const std::vector<IcoImage> &Images) {
    for (const IcoImage &Icon : Images) {
        const int32_t Size = Icon.Image->Width;
        if (Size < 1 || Size > 256 || Icon.Image->Height != Size || Icon.Mask->Width != Size ||
            Icon.Mask->Height != Size) {
            throw std::invalid_argument(
                "an icon image must be square, 1 to 256 pixels, with a mask of its size");
        }
    }
    std::vector<uint8_t> Out;
    Put16(Out, 0);
    Put16(Out, 1); // an icon, not a cursor
    Put16(Out, static_cast<uint32_t>(Images.size()));
    uint32_t Offset = HeaderBytes + EntryBytes * static_cast<uint32_t>(Images.size());
    for (const IcoImage &Icon : Images) {
        const int32_t Size = Icon.Image->Width;
        Out.push_back(static_cast<uint8_t>(Size == 256 ? 0 : Size)); // 0 stands for 256
        Out.push_back(static_cast<uint8_t>(Size == 256 ? 0 : Size));
        Out.push_back(0); // no palette
        Out.push_back(0);
        Put16(Out, 1);
        Put16(Out, 32);
        Put32(Out, ImageBytes(Size));
        Put32(Out, Offset);
        Offset += ImageBytes(Size);
    }
    for (const IcoImage &Icon : Images) {
        PutImage(Out, Icon);
    }
    return Out;
}
