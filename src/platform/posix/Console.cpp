#include "platform/Console.h"

void UseStartingConsole() {
    // A program here always inherits its streams.
}
