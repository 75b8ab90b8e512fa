// The Windows icon file format: several sizes of one picture, each with its transparency.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Surface.h"

struct IcoImage {
    const Surface *Image; // the colours
    const Surface *Mask;  // white = transparent, black = shows the image
};

// The bytes of an .ico file holding every image as a 32-bit picture with its alpha and its mask.
// Images must be square, 1 to 256 pixels wide.
std::vector<uint8_t> EncodeIco(const std::vector<IcoImage> &Images);
