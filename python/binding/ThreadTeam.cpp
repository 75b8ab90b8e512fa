#include "python/binding/ThreadTeam.h"

#include <chrono>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;
// How long a thread watches for the next step before it sleeps: many steps' gaps, and short enough
// that a program busy elsewhere between steps loses little of a core.
constexpr auto WatchTime = std::chrono::microseconds(500);

// A moment's pause in a watching loop, easy on the core's other thread.
void Pause() {
#if defined(__SSE2__)
    _mm_pause();
#endif
}

} // namespace

ThreadTeam::ThreadTeam(int Threads) {
    for (int Share = 1; Share < Threads; ++Share) {
        Workers.emplace_back([this, Share] { Serve(Share); });
    }
}

ThreadTeam::~ThreadTeam() {
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Stopping.store(true);
    }
    Wake.notify_all();
    for (std::thread &Worker : Workers) {
        Worker.join();
    }
}

void ThreadTeam::Run(const std::function<void(int)> &Work) {
    if (Workers.empty()) {
        Work(0);
        return;
    }
    Current = &Work;
    Running.store(int(Workers.size()), std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Round.fetch_add(1, std::memory_order_release);
    }
    Wake.notify_all();
    Work(0);
    // The others are at work by now, on runs of a few microseconds each; a thread the system has
    // set aside gets the core back by yielding.
    for (int Spins = 0; Running.load(std::memory_order_acquire) != 0; ++Spins) {
        if (Spins < 4096) {
            Pause();
        } else {
            std::this_thread::yield();
        }
    }
    Current = nullptr;
}

bool ThreadTeam::Watch(uint64_t Seen) const {
    const auto Until = Clock::now() + WatchTime;
    for (;;) {
        for (int I = 0; I < 64; ++I) {
            if (Round.load(std::memory_order_acquire) != Seen || Stopping.load(std::memory_order_relaxed)) {
                return true;
            }
            Pause();
        }
        if (Clock::now() >= Until) {
            return false;
        }
    }
}

void ThreadTeam::Serve(int Share) {
    uint64_t Seen = 0;
    for (;;) {
        if (!Watch(Seen)) {
            std::unique_lock<std::mutex> Guard(Lock);
            Wake.wait(Guard, [&] { return Stopping.load() || Round.load() != Seen; });
        }
        if (Stopping.load()) {
            return;
        }
        Seen = Round.load(std::memory_order_acquire);
        (*Current)(Share);
        Running.fetch_sub(1, std::memory_order_release);
    }
}
