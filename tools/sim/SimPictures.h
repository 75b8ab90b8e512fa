// The pictures the tool can write: the match window's surface after every K-th tick, and every
// picture the program builds.
#pragma once

#include <cstdint>
#include <string>

class SimPictures {
  public:
    SimPictures(const std::string &FramesDir, int64_t Every);
    void WriteSheets(const std::string &Dir);
    void AfterTick(int64_t Tick);

  private:
    std::string FramesDir;
    int64_t Every;
};
