// The program's own /proc snapshot (later and first), the lower-casing the task list adds to it,
// and the comm-only floor.
#include <benchmark/benchmark.h>

#include "comm_reader.h"
#include "watch/linux/proc_enumerator.h"
#include "watch/lower_case.h"

namespace {

template <typename Enumerate>
void measureSnapshot(benchmark::State& state, Enumerate enumerate) {
    std::size_t count = 0;
    for (auto _ : state) {
        auto names = enumerate();
        if (!names) {
            state.SkipWithError("the processes could not be enumerated");
            return;
        }
        count = names->size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["processes"] = static_cast<double>(count);
}

// The program's own snapshot, as every check after a wait's first one takes it:
// the enumerator knows the processes from the one before.
void BM_Snapshot(benchmark::State& state) {
    ProcEnumerator processes;
    processes.enumerate();  // the wait's first check
    measureSnapshot(state, [&processes] { return processes.enumerate(); });
}
BENCHMARK(BM_Snapshot)->Unit(benchmark::kMicrosecond);

// A wait's first snapshot, which reads every process in full.
void BM_FirstSnapshot(benchmark::State& state) {
    measureSnapshot(state, [] { return ProcEnumerator().enumerate(); });
}
BENCHMARK(BM_FirstSnapshot)->Unit(benchmark::kMicrosecond);

// Lower-casing every name of one snapshot, as the task list refresh does.
void BM_LowerCaseNames(benchmark::State& state) {
    ProcEnumerator processes;
    const auto names = processes.enumerate();
    if (!names) {
        state.SkipWithError("the processes could not be enumerated");
        return;
    }
    for (auto _ : state) {
        std::vector<std::string> lowered;
        lowered.reserve(names->size());
        for (const auto& name : *names) lowered.push_back(toLowerUtf8(name));
        benchmark::DoNotOptimize(lowered);
    }
    state.counters["processes"] = static_cast<double>(names->size());
}
BENCHMARK(BM_LowerCaseNames)->Unit(benchmark::kMicrosecond);

void BM_CommFloor(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state) {
        auto names = readCommNames();
        if (!names || names->empty()) {
            state.SkipWithError("/proc/PID/comm could not be read");
            return;
        }
        count = names->size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["processes"] = static_cast<double>(count);
}
BENCHMARK(BM_CommFloor)->Unit(benchmark::kMicrosecond);

}  // namespace
