// Decoding the game's UTF-8 texts into code points, for the typeface at run time and at build time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A malformed byte stands for U+FFFD.
inline std::vector<uint32_t> Utf8CodePoints(const std::string &Utf8) {
    std::vector<uint32_t> Points;
    for (size_t I = 0; I < Utf8.size();) {
        const unsigned char Lead = static_cast<unsigned char>(Utf8[I]);
        const int Extra = Lead < 0x80         ? 0
                          : (Lead >> 5) == 6  ? 1
                          : (Lead >> 4) == 14 ? 2
                          : (Lead >> 3) == 30 ? 3
                                              : -1;
        uint32_t Point = Extra == 0   ? Lead
                         : Extra == 1 ? (Lead & 0x1F)
                         : Extra == 2 ? (Lead & 0x0F)
                                      : (Lead & 0x07);
        bool Valid = Extra >= 0 && I + Extra < Utf8.size();
        for (int K = 1; Valid && K <= Extra; ++K) {
            const unsigned char Next = static_cast<unsigned char>(Utf8[I + K]);
            Valid = (Next & 0xC0) == 0x80;
            Point = (Point << 6) | (Next & 0x3F);
        }
        Points.push_back(Valid ? Point : 0xFFFD);
        I += Valid ? static_cast<size_t>(Extra) + 1 : 1;
    }
    return Points;
}
