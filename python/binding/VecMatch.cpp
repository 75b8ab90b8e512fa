#include "python/binding/VecMatch.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "SimCopies.h"
#include "python/binding/Actions.h"
#include "python/binding/ArrayPool.h"
#include "python/binding/Match.h"
#include "python/binding/Setup.h"
#include "python/binding/ThreadTeam.h"

namespace py = pybind11;

namespace {

// A match ends at a side's 15th point, or is cut short here: about eleven minutes of play.
constexpr int64_t DefaultMaxTicks = 20000;
constexpr int64_t MostMatches = int64_t(1) << 24;

class VecMatch {
  public:
    VecMatch(int64_t N, const py::object &Lineup, const py::object &People, const py::object &Seed,
             const py::object &MaxTicks, const py::object &Threads)
        : Setup(ReadSetup(Lineup, People, Seed)) {
        Count = size_t(N);
        Limit = ReadWhole(MaxTicks, "max_ticks", 1, int64_t(1) << 62);
        Team = std::make_unique<ThreadTeam>(int(ReadWhole(Threads, "threads", 1, SimCopyCount)));
        Stretches.reset(new Stretch[size_t(Team->Size())]);
        Matches.resize(Count);
        Actions.resize(Count * size_t(Setup.PeopleCount));
        Finals.resize(Count * size_t(Setup.PeopleCount) * ObservationSize);
        Ended.reset(new bool[Count]);
        ObservationPool = std::make_shared<ArrayPool>(Count * size_t(Setup.PeopleCount) * ObservationSize);
        StartAll(Setup);
    }

    py::array_t<float> Reset(const py::object &Seed) {
        StartAll(ReadSetup(py::str(LineupText(Setup)), PeopleTuple(Setup), Seed));
        return Observations();
    }

    py::tuple Step(const py::handle &Given) {
        const size_t People = size_t(Setup.PeopleCount);
        ReadActions(Given, Count, Setup.PeopleCount, Actions.data());
        py::array_t<float> Observed =
            ObservationPool->Take({py::ssize_t(Count), py::ssize_t(People), py::ssize_t(ObservationSize)});
        py::array_t<float> Rewards({Count, People});
        py::array_t<bool> Terminated(Count), Truncated(Count);
        Typ_BatchJob Job;
        Job.Setup = &Setup;
        Job.MaxTicks = Limit;
        Job.Matches = Matches.data();
        Job.Actions = Actions.data();
        Job.Observations = Observed.mutable_data();
        Job.Rewards = Rewards.mutable_data();
        Job.Terminated = Terminated.mutable_data();
        Job.Truncated = Truncated.mutable_data();
        Job.FinalObservations = Finals.data();
        Job.Ended = Ended.get();
        Split([&](int Copy, size_t Begin, size_t End) { SimCopies[Copy]->StepBatch(Job, Begin, End); });
        py::dict Info;
        const bool *EndedNow = Ended.get();
        if (std::any_of(EndedNow, EndedNow + Count, [](bool E) { return E; })) {
            // As Gymnasium's vector environments report it: the last observation of each match that
            // ended (zeros for the others), and which matches these are.
            const size_t Row = People * ObservationSize;
            // From the pool too: a fresh array this large would cost the kernel's page faults
            // every few steps, whenever some match of a large batch ends.
            py::array_t<float> Final = ObservationPool->Take(
                {py::ssize_t(Count), py::ssize_t(People), py::ssize_t(ObservationSize)});
            py::array_t<bool> Which(Count);
            float *Out = Final.mutable_data();
            std::fill(Out, Out + Count * Row, 0.0f);
            for (size_t I = 0; I < Count; ++I) {
                Which.mutable_data()[I] = EndedNow[I];
                if (EndedNow[I]) {
                    std::copy(Finals.begin() + I * Row, Finals.begin() + (I + 1) * Row, Out + I * Row);
                }
            }
            Info["final_observation"] = Final;
            Info["_final_observation"] = Which;
        }
        return py::make_tuple(Observed, Rewards, Terminated, Truncated, Info);
    }

    py::array_t<float> Observations() const {
        const size_t People = size_t(Setup.PeopleCount);
        py::array_t<float> Observed({Count, People, size_t(ObservationSize)});
        for (size_t I = 0; I < Count; ++I) {
            SimCopies[0]->Observe(Matches[I], Setup, Observed.mutable_data() + I * People * ObservationSize);
        }
        return Observed;
    }

    const Typ_Kept &At(int64_t Index) const {
        if (Index < 0 || size_t(Index) >= Count) {
            throw py::value_error("match " + std::to_string(Index) + " is not one of the " +
                                  std::to_string(Count) + " matches (0 to " + std::to_string(Count - 1) +
                                  ").");
        }
        return Matches[size_t(Index)];
    }

    size_t Size() const { return Count; }
    int Threads() const { return Team->Size(); }
    int64_t MaxTicks() const { return Limit; }
    const Typ_Setup &GetSetup() const { return Setup; }
    py::array_t<int64_t> Ticks() const {
        py::array_t<int64_t> Out(Count);
        for (size_t I = 0; I < Count; ++I) {
            Out.mutable_data()[I] = Matches[I].Tick;
        }
        return Out;
    }

  private:
    // Runs Work(copy, begin, end) over the matches, each thread through its own copy of the match's
    // code. Each thread owns one stretch of the matches and steps it run by run from the front; a
    // thread done with its own then takes runs from the back of a stretch still unfinished. So the
    // threads work far apart: two threads on neighbouring runs would share the cache lines where
    // one run's records and results meet the next's, and pass them to and fro at every match (a
    // third of the second thread's worth, measured). And on a machine where another program holds
    // one core, the thread that shares it simply steps fewer matches instead of holding up the step.
    template <typename Work> void Split(const Work &Do) {
        const size_t Threads = size_t(Team->Size());
        const size_t Runs = (Count + RunLength - 1) / RunLength;
        for (size_t Share = 0; Share < Threads; ++Share) {
            Stretches[Share].Set(Runs * Share / Threads, Runs * (Share + 1) / Threads);
        }
        const auto DoRun = [&](int Share, uint64_t Run) {
            Do(Share, size_t(Run) * RunLength, std::min(Count, size_t(Run + 1) * RunLength));
        };
        Team->Run([&](int Share) {
            for (uint64_t Run; Stretches[Share].TakeFront(Run);) {
                DoRun(Share, Run);
            }
            for (size_t Other = 1; Other < Threads; ++Other) {
                for (uint64_t Run; Stretches[(size_t(Share) + Other) % Threads].TakeBack(Run);) {
                    DoRun(Share, Run);
                }
            }
        });
    }

    static constexpr size_t RunLength = 64; // matches: some ten microseconds of work

    // The runs of one thread's stretch not yet taken, [front, back), in one word so that the front
    // and the back are taken from without locks. On a cache line of its own.
    struct alignas(64) Stretch {
        std::atomic<uint64_t> Span{0};

        void Set(uint64_t Front, uint64_t Back) { Span.store(Front | Back << 32, std::memory_order_relaxed); }
        bool TakeFront(uint64_t &Run) { return Take(Run, true); }
        bool TakeBack(uint64_t &Run) { return Take(Run, false); }
        bool Take(uint64_t &Run, bool FromFront) {
            uint64_t Was = Span.load(std::memory_order_relaxed);
            for (;;) {
                const uint64_t Front = Was & 0xFFFFFFFF, Back = Was >> 32;
                if (Front >= Back) {
                    return false;
                }
                Run = FromFront ? Front : Back - 1;
                const uint64_t Left = FromFront ? Was + 1 : Was - (uint64_t(1) << 32);
                if (Span.compare_exchange_weak(Was, Left, std::memory_order_relaxed)) {
                    return true;
                }
            }
        }
    };

    // Every match afresh; with a seed S, match i draws from seed S + i.
    void StartAll(const Typ_Setup &From) {
        Setup = From;
        for (size_t I = 0; I < Count; ++I) {
            Typ_Setup Own = Setup;
            Own.Seed = Setup.Seed + uint64_t(I);
            SimCopies[0]->Start(Matches[I], Own, false);
        }
    }

    Typ_Setup Setup;
    size_t Count = 0;
    int64_t Limit = DefaultMaxTicks;
    std::unique_ptr<ThreadTeam> Team;
    std::unique_ptr<Stretch[]> Stretches; // one a thread
    std::vector<Typ_Kept> Matches;
    std::vector<uint8_t> Actions;
    std::vector<float> Finals;
    std::unique_ptr<bool[]> Ended;
    std::shared_ptr<ArrayPool> ObservationPool;
};

std::unique_ptr<VecMatch> MakeVecMatch(const py::object &N, const py::object &Lineup,
                                       const py::object &People, const py::object &Seed,
                                       const py::object &MaxTicks, const py::object &Threads) {
    return std::make_unique<VecMatch>(ReadWhole(N, "n, the number of matches,", 1, MostMatches), Lineup,
                                      People, Seed, MaxTicks, Threads);
}

} // namespace

void DefineVecMatch(py::module_ &Module) {
    py::class_<VecMatch>(Module, "VecMatch", R"(n matches of one line-up, stepped together in one call.

people: the characters agents drive, at most two (the others are the computer).
seed: with a seed S, match i draws from seed S + i; with None, every match from the game's own
sequence. A match that ends starts again at once, its random source going on.
max_ticks: a match that reaches this tick without a winner is cut short (truncated).
threads: how many threads share the matches of a step, at most zorbump.MAX_THREADS.)")
        .def(py::init(&MakeVecMatch), py::arg("n"), py::arg("lineup") = "0/0,1/0,0/1,1/1",
             py::arg("people") = py::make_tuple(0, 1), py::arg("seed") = py::none(),
             py::arg("max_ticks") = DefaultMaxTicks, py::arg("threads") = 1)
        .def("reset", &VecMatch::Reset, py::arg("seed") = py::none(),
             "Starts every match afresh and returns the observations, (n, people, 78) float32.")
        .def("step", &VecMatch::Step, py::arg("actions"),
             R"(One tick of every match: actions (n, people) of combination numbers 0 to 31, or
(n, people, 5) of 0 and 1 (up, down, back, front, hit). Returns observations (n, people, 78)
float32, rewards (n, people) float32, terminated (n,) bool, truncated (n,) bool and info, which
holds "final_observation" and its mask "_final_observation" when some match ended.)")
        .def("observations", &VecMatch::Observations,
             "The observations as they stand, (n, people, 78) float32.")
        .def(
            "state", [](const VecMatch &V, int64_t I) { return TraceDict(V.At(I)); }, py::arg("index"),
            "The trace object of match index's last tick, as zorbump-sim --trace prints it.")
        .def(
            "frame", [](const VecMatch &V, int64_t I) { return FrameArray(V.At(I)); }, py::arg("index"),
            "The match window's picture of match index: (360, 480, 3) uint8 RGB.")
        .def_property_readonly("ticks", &VecMatch::Ticks, "Each match's tick, (n,) int64.")
        .def_property_readonly("n", &VecMatch::Size)
        .def_property_readonly("threads", &VecMatch::Threads)
        .def_property_readonly("max_ticks", &VecMatch::MaxTicks)
        .def_property_readonly("lineup", [](const VecMatch &V) { return LineupText(V.GetSetup()); })
        .def_property_readonly("people", [](const VecMatch &V) { return PeopleTuple(V.GetSetup()); })
        .def("__len__", &VecMatch::Size);
}
