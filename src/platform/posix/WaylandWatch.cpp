#include "platform/posix/WaylandWatch.h"

#include <dlfcn.h>

namespace {

using ErrorOf = int (*)(void *);

// The client library SDL has loaded for its own Wayland windows, asked through the loader, so the
// game links no Wayland library of its own.
ErrorOf DisplayError() {
    static const ErrorOf Found = [] {
        void *Library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL);
        return Library == nullptr ? nullptr
                                  : reinterpret_cast<ErrorOf>(dlsym(Library, "wl_display_get_error"));
    }();
    return Found;
}

} // namespace

bool WaylandConnectionLost(void *Display) {
    const ErrorOf ErrorOfDisplay = DisplayError();
    return Display != nullptr && ErrorOfDisplay != nullptr && ErrorOfDisplay(Display) != 0;
}
