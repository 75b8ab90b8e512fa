// Writing a surface as a PNG file. Only the headless tool uses it; the game writes no files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Surface.h"

// The PNG file of a picture, its bytes. With a mask of the same size (white = transparent) the
// picture gets an alpha channel.
std::vector<uint8_t> EncodePng(const Surface &Picture, const Surface *Mask = nullptr);

// Writes Picture to Path. On failure returns false and puts the reason in Error.
bool WritePng(const Surface &Picture, const std::string &Path, std::string &Error);
