// Writing a surface as a PNG file. Only the headless tool uses it; the game writes no files.
#pragma once

#include <string>

#include "platform/Surface.h"

// Writes Picture to Path. On failure returns false and puts the reason in Error.
bool WritePng(const Surface &Picture, const std::string &Path, std::string &Error);
