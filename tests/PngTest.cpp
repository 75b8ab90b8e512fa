// The tool's own PNG writer: a file any reader takes, holding the picture's pixels exactly.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Png.h"

namespace {

uint32_t Big32(const std::vector<uint8_t> &Bytes, size_t At) {
    return uint32_t(Bytes[At]) << 24 | uint32_t(Bytes[At + 1]) << 16 | uint32_t(Bytes[At + 2]) << 8 |
           Bytes[At + 3];
}

struct Chunk {
    std::string Type;
    std::vector<uint8_t> Data;
    uint32_t Crc;
};

std::vector<Chunk> Chunks(const std::vector<uint8_t> &File) {
    std::vector<Chunk> Found;
    for (size_t At = 8; At + 12 <= File.size();) {
        const uint32_t Length = Big32(File, At);
        Chunk C{std::string(File.begin() + At + 4, File.begin() + At + 8),
                std::vector<uint8_t>(File.begin() + At + 8, File.begin() + At + 8 + Length),
                Big32(File, At + 8 + Length)};
        Found.push_back(C);
        At += 12 + Length;
    }
    return Found;
}

// The bytes of a zlib stream made only of stored blocks; fails the test on anything else.
std::vector<uint8_t> Unstore(const std::vector<uint8_t> &Zlib) {
    EXPECT_EQ((Zlib[0] * 256 + Zlib[1]) % 31, 0) << "zlib header check";
    EXPECT_EQ(Zlib[0] & 0x0F, 8) << "deflate";
    std::vector<uint8_t> Out;
    size_t At = 2;
    for (bool Last = false; !Last;) {
        Last = (Zlib.at(At) & 1) != 0;
        EXPECT_EQ(Zlib[At] >> 1, 0) << "a stored block";
        const uint16_t Length = uint16_t(Zlib.at(At + 1) | Zlib.at(At + 2) << 8);
        const uint16_t Complement = uint16_t(Zlib.at(At + 3) | Zlib.at(At + 4) << 8);
        EXPECT_EQ(uint16_t(~Length), Complement);
        Out.insert(Out.end(), Zlib.begin() + At + 5, Zlib.begin() + At + 5 + Length);
        At += 5 + Length;
    }
    EXPECT_EQ(At + 4, Zlib.size()) << "the Adler-32 ends the stream";
    return Out;
}

} // namespace

TEST(Png, ThePixelsComeBackExactlyAcrossManyStoredBlocks) {
    // 300 x 200 RGB rows are about 180 000 bytes: three stored blocks and a short last one.
    Surface Picture(300, 200);
    for (int32_t Y = 0; Y < 200; ++Y) {
        for (int32_t X = 0; X < 300; ++X) {
            Picture.Row(Y)[X] =
                (uint32_t(X * 7 + Y) & 0xFF) | uint32_t(Y) << 8 | uint32_t(X ^ Y) << 16 | 0xAB000000u;
        }
    }
    const std::vector<uint8_t> File = EncodePng(Picture);
    ASSERT_EQ(std::vector<uint8_t>(File.begin(), File.begin() + 8),
              (std::vector<uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    const std::vector<Chunk> Found = Chunks(File);
    ASSERT_EQ(Found.size(), 3u);
    EXPECT_EQ(Found[0].Type, "IHDR");
    EXPECT_EQ(Big32(Found[0].Data, 0), 300u);
    EXPECT_EQ(Big32(Found[0].Data, 4), 200u);
    EXPECT_EQ(Found[0].Data[8], 8) << "8 bits a sample";
    EXPECT_EQ(Found[0].Data[9], 2) << "RGB";
    EXPECT_EQ(Found[2].Type, "IEND");
    EXPECT_EQ(Found[2].Crc, 0xAE426082u) << "every PNG's IEND has this CRC-32";

    const std::vector<uint8_t> &Zlib = Found[1].Data;
    const std::vector<uint8_t> Raw = Unstore(Zlib);
    ASSERT_EQ(Raw.size(), 200u * (1 + 3 * 300));
    uint32_t A = 1, B = 0;
    for (uint8_t Byte : Raw) {
        A = (A + Byte) % 65521;
        B = (B + A) % 65521;
    }
    EXPECT_EQ(Big32(Zlib, Zlib.size() - 4), B << 16 | A);
    for (int32_t Y = 0; Y < 200; ++Y) {
        const uint8_t *Row = Raw.data() + Y * (1 + 3 * 300);
        ASSERT_EQ(Row[0], 0) << "no filter";
        for (int32_t X = 0; X < 300; ++X) {
            const uint32_t Pixel = Picture.Row(Y)[X];
            ASSERT_EQ(Row[1 + 3 * X], Pixel & 0xFF);
            ASSERT_EQ(Row[2 + 3 * X], Pixel >> 8 & 0xFF);
            ASSERT_EQ(Row[3 + 3 * X], Pixel >> 16 & 0xFF);
        }
    }
}

TEST(Png, AnUnwritablePlaceIsReportedWithItsReason) {
    std::string Error;
    EXPECT_FALSE(WritePng(Surface(2, 2), "/nonexistent-folder/x.png", Error));
    EXPECT_FALSE(Error.empty());
}

TEST(Png, AMaskBecomesTheAlphaChannel) {
    Surface Picture(3, 1, 0x00336699), Mask(3, 1, 0);
    Mask.Row(0)[1] = 0xFFFFFF; // white: transparent
    const std::vector<Chunk> Found = Chunks(EncodePng(Picture, &Mask));
    ASSERT_EQ(Found.size(), 3u);
    EXPECT_EQ(Found[0].Data[9], 6) << "RGB and alpha";
    const std::vector<uint8_t> Raw = Unstore(Found[1].Data);
    EXPECT_EQ(Raw,
              (std::vector<uint8_t>{0, 0x99, 0x66, 0x33, 255, 0x99, 0x66, 0x33, 0, 0x99, 0x66, 0x33, 255}));
}
