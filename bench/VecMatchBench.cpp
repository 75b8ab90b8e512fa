// The cost of a step of many matches in C++ alone, without Python: the job VecMatch.step hands to
// one copy of the match's code. Beside it, the same matches ticked by themselves (no actions, no
// observations), and one match stepped over and over, which shows how much of a step is the
// processor meeting a different match at every tick.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "SimCopies.h"
#include "platform/KeySets.h"

namespace {

struct Batch {
    Typ_Setup Setup;
    std::vector<Typ_Kept> Matches;
    std::vector<std::vector<uint8_t>> ActionRing;
    std::vector<float> Observations, Finals, Rewards;
    std::unique_ptr<bool[]> Terminated, Truncated, Ended;
    Typ_BatchJob Job{};

    Batch(size_t N, int People, bool RandomActions) : Matches(N) {
        for (int P = 0; P < People; ++P) {
            Setup.People[P] = P;
        }
        Setup.PeopleCount = People;
        Setup.Seeded = true;
        for (size_t I = 0; I < N; ++I) {
            Typ_Setup Own = Setup;
            Own.Seed = 1 + I;
            SimCopies[0]->Start(Matches[I], Own, false);
        }
        std::mt19937 Draw(0);
        for (int R = 0; R < 64; ++R) {
            ActionRing.emplace_back(N * size_t(People));
            for (uint8_t &A : ActionRing.back()) {
                A = RandomActions ? uint8_t(Draw() % ActionCount) : 0;
            }
        }
        const size_t Floats = N * size_t(People) * ObservationSize;
        Observations.resize(Floats);
        Finals.resize(Floats);
        Rewards.resize(N * size_t(People));
        Terminated.reset(new bool[N]);
        Truncated.reset(new bool[N]);
        Ended.reset(new bool[N]);
        Job.Setup = &Setup;
        Job.MaxTicks = 20000;
        Job.Matches = Matches.data();
        Job.Observations = Observations.data();
        Job.Rewards = Rewards.data();
        Job.Terminated = Terminated.get();
        Job.Truncated = Truncated.get();
        Job.FinalObservations = Finals.data();
        Job.Ended = Ended.get();
    }

    void Step(size_t Round) {
        Job.Actions = ActionRing[Round % ActionRing.size()].data();
        SimCopies[0]->StepBatch(Job, 0, Matches.size());
    }
};

// Arguments: matches, people, random actions (1) or none held (0).
void BM_StepBatch(benchmark::State &State) {
    const size_t N = size_t(State.range(0));
    Batch B(N, int(State.range(1)), State.range(2) != 0);
    for (size_t R = 0; R < 300; ++R) { // into the thick of the rallies
        B.Step(R);
    }
    size_t Round = 0;
    for (auto _ : State) {
        B.Step(Round++);
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(int64_t(State.iterations()) * int64_t(N));
    State.counters["ns/step"] = benchmark::Counter(double(State.iterations()) * double(N),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StepBatch)
    ->ArgNames({"n", "people", "random"})
    ->Args({1024, 2, 1})
    ->Args({1024, 2, 0})
    ->Args({64, 2, 1})
    ->Args({1, 2, 1})
    ->Args({1024, 1, 1})
    ->Args({1024, 0, 0})
    ->Args({1, 0, 0})
    ->Args({64, 0, 0});

// The same matches with the same kind of actions, each ticked alone through the copy's Step: the
// match moved in and out and its keys held, but no observations, rewards or restarts. What is left
// is the tick's own cost among many matches. The second argument is how many ticks each action is
// held: 1 is an agent pressing random keys at every tick, more is a steadier player.
void BM_TickOnly(benchmark::State &State) {
    const size_t N = size_t(State.range(0));
    const size_t Hold = size_t(State.range(1));
    Batch B(N, 2, true);
    std::vector<std::vector<int32_t>> Held(B.ActionRing.size() * N);
    for (size_t R = 0; R < B.ActionRing.size(); ++R) {
        for (size_t I = 0; I < N; ++I) {
            for (int Person = 0; Person < 2; ++Person) {
                const uint8_t Action = B.ActionRing[R][I * 2 + Person];
                for (int Control = 0; Control < ActionControls; ++Control) {
                    if ((Action >> Control) & 1) {
                        Held[R * N + I].push_back(KeySets[Person][Control]);
                    }
                }
            }
        }
    }
    size_t Round = 0;
    for (auto _ : State) {
        const size_t R = Round++ / Hold % B.ActionRing.size();
        for (size_t I = 0; I < N; ++I) {
            const std::vector<int32_t> &Keys = Held[R * N + I];
            Typ_Kept &Kept = B.Matches[I];
            if (SimCopies[0]->Over(Kept)) {
                SimCopies[0]->Start(Kept, B.Setup, true);
            }
            SimCopies[0]->Step(Kept, Keys.data(), Keys.size());
        }
        benchmark::ClobberMemory();
    }
    State.SetItemsProcessed(int64_t(State.iterations()) * int64_t(N));
    State.counters["ns/step"] = benchmark::Counter(double(State.iterations()) * double(N),
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TickOnly)->ArgNames({"n", "hold"})->Args({1024, 1})->Args({1024, 16})->Args({1, 1});

} // namespace
