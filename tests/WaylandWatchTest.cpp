// The lost Wayland display told apart from a closed window: the game asks the client library for
// the connection's error, as it does after SDL's quit. A connection over a socket pair stands for
// one to a compositor; closing the far end is the compositor ending.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/posix/WaylandWatch.h"

namespace {

struct ClientLibrary {
    void *(*ConnectToFd)(int) = nullptr;
    int (*Roundtrip)(void *) = nullptr;
    void (*Disconnect)(void *) = nullptr;
    bool Found = false;

    ClientLibrary() {
        void *Library = dlopen("libwayland-client.so.0", RTLD_LAZY | RTLD_LOCAL);
        if (Library == nullptr) {
            return;
        }
        ConnectToFd = reinterpret_cast<void *(*)(int)>(dlsym(Library, "wl_display_connect_to_fd"));
        Roundtrip = reinterpret_cast<int (*)(void *)>(dlsym(Library, "wl_display_roundtrip"));
        Disconnect = reinterpret_cast<void (*)(void *)>(dlsym(Library, "wl_display_disconnect"));
        Found = ConnectToFd != nullptr && Roundtrip != nullptr && Disconnect != nullptr;
    }
};

TEST(WaylandWatch, AConnectionIsLostOnlyOnceItsCompositorHasGone) {
    EXPECT_FALSE(WaylandConnectionLost(nullptr)) << "no Wayland window: nothing to lose";
    const ClientLibrary Wayland;
    if (!Wayland.Found) {
        GTEST_SKIP() << "no Wayland client library on this machine";
    }
    int Ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Ends), 0);
    void *Display = Wayland.ConnectToFd(Ends[0]);
    ASSERT_NE(Display, nullptr);
    EXPECT_FALSE(WaylandConnectionLost(Display)) << "a connection with its compositor still there";

    close(Ends[1]);
    EXPECT_EQ(Wayland.Roundtrip(Display), -1) << "a round trip to a compositor that has gone fails";
    EXPECT_TRUE(WaylandConnectionLost(Display));
    Wayland.Disconnect(Display); // closes Ends[0]
}

} // namespace
