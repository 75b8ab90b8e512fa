// The real backend's wait for events ends as soon as a watched socket has data, so that an online
// session's messages are handled when they arrive and not at the next timer's tick.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/SdlBackend.h"
#include "platform/Toolkit.h"

TEST(SocketWake, DataOnAWatchedSocketEndsTheWaitAtOnce) {
    std::string Error;
    Backend *Screen = OpenSdlBackend(Error);
    ASSERT_NE(Screen, nullptr) << Error;
    SetBackend(Screen);
    int Pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_DGRAM, 0, Pair), 0);
    {
        Form Window("Socket", 100, 80);
        // Nothing else would end the wait before this.
        Timer GiveUp(Window, 3000, true, [&Window] { Window.Unload(); });
        int Heard = 0;
        WakeOnSocket(Pair[0], [&] {
            char Byte;
            while (recv(Pair[0], &Byte, 1, MSG_DONTWAIT) == 1) {
                Heard++;
                Window.Unload();
            }
        });
        std::thread Sender([&Pair] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            send(Pair[1], "x", 1, 0);
        });
        const auto Start = std::chrono::steady_clock::now();
        Window.ShowModal();
        const auto Took = std::chrono::steady_clock::now() - Start;
        Sender.join();
        StopWakingOnSocket(Pair[0]);
        EXPECT_EQ(Heard, 1);
        EXPECT_LT(Took, std::chrono::milliseconds(1000));
    }
    close(Pair[0]);
    close(Pair[1]);
    SetBackend(nullptr);
    CloseSdlBackend();
}
