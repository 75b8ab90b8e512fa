#include "platform/Console.h"

void UseStartingConsole() {
    // The page shows what the game writes in its own line under the picture.
}
