#include "python/binding/ThreadTeam.h"

ThreadTeam::ThreadTeam(int Threads) {
    for (int Share = 1; Share < Threads; ++Share) {
        Workers.emplace_back([this, Share] { Serve(Share); });
    }
}

ThreadTeam::~ThreadTeam() {
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Stopping = true;
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
    {
        std::lock_guard<std::mutex> Guard(Lock);
        Current = &Work;
        Running = int(Workers.size());
        Round++;
    }
    Wake.notify_all();
    Work(0);
    std::unique_lock<std::mutex> Guard(Lock);
    Finished.wait(Guard, [this] { return Running == 0; });
    Current = nullptr;
}

void ThreadTeam::Serve(int Share) {
    uint64_t Seen = 0;
    for (;;) {
        const std::function<void(int)> *Work = nullptr;
        {
            std::unique_lock<std::mutex> Guard(Lock);
            Wake.wait(Guard, [&] { return Stopping || Round != Seen; });
            if (Stopping) {
                return;
            }
            Seen = Round;
            Work = Current;
        }
        (*Work)(Share);
        std::lock_guard<std::mutex> Guard(Lock);
        if (--Running == 0) {
            Finished.notify_one();
        }
    }
}
