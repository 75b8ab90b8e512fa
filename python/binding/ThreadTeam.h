// A few threads kept for the life of a VecMatch, each running its share of every step: the calling
// thread runs share 0 and the team's threads the others, and Run returns when all are done.
#pragma once

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

    std::vector<std::thread> Workers;
    std::mutex Lock;
    std::condition_variable Wake, Finished;
    const std::function<void(int)> *Current = nullptr;
    uint64_t Round = 0;
    int Running = 0;
    bool Stopping = false;
};
