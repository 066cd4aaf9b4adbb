// The program's own /proc snapshot, the lower-casing the task list adds to it,
// and the comm-only floor.
#include <benchmark/benchmark.h>

#include "comm_reader.h"
#include "watch/linux/proc_enumerator.h"
#include "watch/lower_case.h"

namespace {

void measureSnapshot(benchmark::State& state, ProcessEnumerator& processes) {
    std::size_t count = 0;
    for (auto _ : state) {
        auto names = processes.enumerate();
        if (!names) {
            state.SkipWithError("the processes could not be enumerated");
            return;
        }
        count = names->size();
        benchmark::DoNotOptimize(names);
    }
    state.counters["processes"] = static_cast<double>(count);
}

// The program's own snapshot.
void BM_Snapshot(benchmark::State& state) {
    ProcEnumerator processes;
    measureSnapshot(state, processes);
}
BENCHMARK(BM_Snapshot)->Unit(benchmark::kMicrosecond);

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
