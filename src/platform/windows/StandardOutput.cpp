#include "platform/StandardOutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

void SetStandardOutputBinary() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}
