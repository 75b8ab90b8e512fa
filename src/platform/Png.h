// Writing a surface as a PNG file. Only the headless tool uses it; the game writes no files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Surface.h"

// The bytes of a PNG file of the picture: 8-bit RGB, or with a mask (white = see-through) RGB with
// alpha.
std::vector<uint8_t> EncodePng(const Surface &Picture, const Surface *Mask = nullptr);

// Writes Picture to Path. On failure returns false and puts the reason in Error.
bool WritePng(const Surface &Picture, const std::string &Path, std::string &Error);
