#include "platform/StandardOutput.h"

void SetStandardOutputBinary() {
    // Every stream is binary here already.
}
