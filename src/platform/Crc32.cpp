#include "platform/Crc32.h"

namespace {

struct CrcTable {
    uint32_t Entries[256];
    CrcTable() : Entries() {
        for (uint32_t N = 0; N < 256; ++N) {
            uint32_t C = N;
            for (int K = 0; K < 8; ++K) {
                C = (C & 1) != 0 ? 0xEDB88320u ^ (C >> 1) : C >> 1;
            }
            Entries[N] = C;
        }
    }
};

} // namespace

uint32_t Crc32(const uint8_t *Data, size_t Size, uint32_t Crc) {
    static const CrcTable Table;
    Crc = ~Crc;
    for (size_t I = 0; I < Size; ++I) {
        Crc = Table.Entries[(Crc ^ Data[I]) & 0xFF] ^ (Crc >> 8);
    }
    return ~Crc;
}
