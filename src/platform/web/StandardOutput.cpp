#include "platform/StandardOutput.h"

void SetStandardOutputBinary() {
    // The page receives text only.
}
