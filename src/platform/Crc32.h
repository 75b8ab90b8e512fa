// The CRC-32 of PNG, zip and Ethernet (reflected polynomial 0xEDB88320): what the picture files
// and the replay files carry to tell a damaged file from a sound one.
#pragma once

#include <cstddef>
#include <cstdint>

// Crc continues an earlier sum over the bytes before these (0 to start).
uint32_t Crc32(const uint8_t *Data, size_t Size, uint32_t Crc = 0);
