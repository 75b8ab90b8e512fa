// The Windows icon file: its directory points at every image, each image is the picture with its
// rows bottom first, colours in blue-green-red order, and see-through exactly where the mask is
// white, both in the alpha channel and in the AND mask that older Windows reads.
#include <gtest/gtest.h>

#include "assets/Pictures.h"
#include "tools/icon/Ico.h"

namespace {

uint32_t Read16(const std::vector<uint8_t> &Bytes, size_t At) {
    return Bytes.at(At) | Bytes.at(At + 1) << 8;
}
uint32_t Read32(const std::vector<uint8_t> &Bytes, size_t At) {
    return Read16(Bytes, At) | Read16(Bytes, At + 2) << 16;
}

struct Decoded {
    int32_t Size;
    std::vector<uint32_t> Bgra;     // row by row, top row first
    std::vector<bool> AndMaskClear; // row by row, top row first
};

// Reads back one image of an icon file the way Windows does.
Decoded DecodeImage(const std::vector<uint8_t> &Bytes, size_t Index) {
    const size_t Entry = 6 + 16 * Index;
    const int32_t Size = Bytes.at(Entry) == 0 ? 256 : Bytes.at(Entry);
    const size_t Offset = Read32(Bytes, Entry + 12);
    EXPECT_EQ(Read32(Bytes, Offset), 40u);
    EXPECT_EQ(static_cast<int32_t>(Read32(Bytes, Offset + 4)), Size);
    EXPECT_EQ(static_cast<int32_t>(Read32(Bytes, Offset + 8)), 2 * Size);
    EXPECT_EQ(Read16(Bytes, Offset + 14), 32u);
    Decoded Image{Size, std::vector<uint32_t>(Size * Size), std::vector<bool>(Size * Size)};
    const size_t Colours = Offset + 40;
    const size_t MaskRow = (Size + 31) / 32 * 4;
    const size_t Mask = Colours + static_cast<size_t>(Size) * Size * 4;
    EXPECT_EQ(Read32(Bytes, Entry + 8), 40 + Mask - Colours + MaskRow * Size);
    for (int32_t Y = 0; Y < Size; ++Y) {
        const int32_t FileRow = Size - 1 - Y;
        for (int32_t X = 0; X < Size; ++X) {
            Image.Bgra[Y * Size + X] = Read32(Bytes, Colours + (static_cast<size_t>(FileRow) * Size + X) * 4);
            Image.AndMaskClear[Y * Size + X] =
                (Bytes.at(Mask + FileRow * MaskRow + X / 8) >> (7 - X % 8)) & 1;
        }
    }
    return Image;
}

TEST(IcoFile, TheGameIconAtEverySizeKeepsItsColoursAndItsSeeThroughParts) {
    const Typ_WindowPictures &All = GetWindowPictures();
    Surface Big(256, 256, 0x123456), BigMask(256, 256, 0xFFFFFF);
    BigMask.Set(255, 0, 0); // one shown pixel in the top right corner: catches flipped rows
    const std::vector<IcoImage> Images = {
        {&All.Icon16, &All.Icon16Mask}, {&All.Icon32, &All.Icon32Mask}, {&Big, &BigMask}};
    const std::vector<uint8_t> Bytes = EncodeIco(Images);

    ASSERT_EQ(Read16(Bytes, 0), 0u);
    ASSERT_EQ(Read16(Bytes, 2), 1u);
    ASSERT_EQ(Read16(Bytes, 4), Images.size());
    size_t End = 6 + 16 * Images.size();
    for (size_t Index = 0; Index < Images.size(); ++Index) {
        const size_t Entry = 6 + 16 * Index;
        EXPECT_EQ(Read32(Bytes, Entry + 12), End) << "image " << Index << " does not follow the one before";
        End += Read32(Bytes, Entry + 8);

        const Surface &Image = *Images[Index].Image;
        const Surface &Mask = *Images[Index].Mask;
        const Decoded Read = DecodeImage(Bytes, Index);
        ASSERT_EQ(Read.Size, Image.Width);
        int32_t Shown = 0;
        for (int32_t Y = 0; Y < Read.Size; ++Y) {
            for (int32_t X = 0; X < Read.Size; ++X) {
                const bool Clear = (Mask.At(X, Y) & 0xFFFFFF) == 0xFFFFFF;
                const uint32_t Pixel = Image.At(X, Y);
                const uint32_t Expected =
                    Clear ? 0 : 0xFF000000u | (Pixel & 0xFF) << 16 | (Pixel & 0xFF00) | (Pixel >> 16 & 0xFF);
                ASSERT_EQ(Read.Bgra[Y * Read.Size + X], Expected)
                    << "size " << Read.Size << " at " << X << "," << Y;
                ASSERT_EQ(Read.AndMaskClear[Y * Read.Size + X], Clear)
                    << "size " << Read.Size << " at " << X << "," << Y;
                Shown += Clear ? 0 : 1;
            }
        }
        EXPECT_GT(Shown, 0);
    }
    EXPECT_EQ(Bytes.size(), End);
    EXPECT_EQ(Bytes.at(6 + 32), 0) << "256 pixels is written as 0 in the directory";
}

TEST(IcoFile, RefusesPicturesWindowsCannotShowAsIcons) {
    Surface Wide(32, 16), Mask(32, 16), Huge(257, 257), HugeMask(257, 257), Square(16, 16);
    EXPECT_THROW(EncodeIco({{&Wide, &Mask}}), std::invalid_argument);
    EXPECT_THROW(EncodeIco({{&Huge, &HugeMask}}), std::invalid_argument);
    EXPECT_THROW(EncodeIco({{&Square, &Mask}}), std::invalid_argument);
}

} // namespace
