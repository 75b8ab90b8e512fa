#include "tools/sim/SimPictures.h"

SimPictures::SimPictures(const std::string &NewFramesDir, int64_t NewEvery)
    : FramesDir(NewFramesDir), Every(NewEvery) {}

void SimPictures::WriteSheets(const std::string &) {}

void SimPictures::AfterTick(int64_t) {}
