// A few threads kept for the life of a VecMatch, each running its share of every step: the calling
// thread runs share 0 and the team's threads the others, and Run returns when all are done.
//
// A step of a thousand matches takes a few hundred microseconds, and Python calls the next one a
// few microseconds after the last returns. Waking a sleeping thread costs tens of microseconds on
// a busy machine, often more than its share of a step, so between steps a thread first watches for
// the next one for a moment, and only then sleeps.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ThreadTeam {
  public:
    explicit ThreadTeam(int Threads);
    ~ThreadTeam();
    ThreadTeam(const ThreadTeam &) = delete;
    ThreadTeam &operator=(const ThreadTeam &) = delete;

    int Size() const { return int(Workers.size()) + 1; }
    void Run(const std::function<void(int Share)> &Work);

  private:
    void Serve(int Share);
    // Whether a new round (or the end) came while watching for it, up to the watching time.
    bool Watch(uint64_t Seen) const;

    std::vector<std::thread> Workers;
    std::mutex Lock; // held while a round starts, so a thread going to sleep cannot miss it
    std::condition_variable Wake;
    const std::function<void(int)> *Current = nullptr; // set before the round that runs it
    std::atomic<uint64_t> Round{0};
    std::atomic<int> Running{0};
    std::atomic<bool> Stopping{false};
};
