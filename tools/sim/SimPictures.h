// The pictures the tool can write: the match window's surface after every K-th tick, and every
// picture the program builds.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Surface.h"

class SimPictures {
  public:
    // With --frames: checks that the folder can be written, and gives the match a surface and its
    // sheets to draw on (so it must be made before StartMatch).
    SimPictures(const std::string &FramesDir, int64_t Every);
    // Writes every picture as a PNG named after its holder.
    void WriteSheets(const std::string &Dir);
    // Writes the match surface as frame-NNNNNN.png after every K-th tick.
    void AfterTick(int64_t Tick);

  private:
    std::string FramesDir;
    int64_t Every;
    Surface Screen;
};

// A folder or file that cannot be written ends the tool with a one-line message on standard error
// and exit status 2, like a bad argument.
