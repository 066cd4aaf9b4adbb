// The same names read through procps's libproc2: the executable's file name
// (PIDS_EXE) where there is one, the short name (PIDS_CMD) otherwise.
#include <benchmark/benchmark.h>
#include <libproc2/pids.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

std::string_view fileName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void BM_Libproc2(benchmark::State& state) {
    enum pids_item items[] = {PIDS_CMD, PIDS_EXE};
    enum { kCmd, kExe };
    pids_info* info = nullptr;
    if (procps_pids_new(&info, items, 2) < 0) {
        state.SkipWithError("procps_pids_new failed");
        return;
    }
    std::size_t count = 0;
    for (auto _ : state) {
        const pids_fetch* fetched = procps_pids_reap(info, PIDS_FETCH_TASKS_ONLY);
        if (!fetched) {
            state.SkipWithError("procps_pids_reap failed");
            break;
        }
        std::vector<std::string> names;
        names.reserve(fetched->counts->total);
        for (int i = 0; i < fetched->counts->total; ++i) {
            const pids_stack* stack = fetched->stacks[i];
            const char* exe = PIDS_VAL(kExe, str, stack, info);
            if (exe && *exe && std::string_view(exe) != "-") {
                names.emplace_back(fileName(exe));
            } else {
                names.emplace_back(PIDS_VAL(kCmd, str, stack, info));
            }
        }
        count = names.size();
        benchmark::DoNotOptimize(names);
    }
    procps_pids_unref(&info);
    state.counters["processes"] = static_cast<double>(count);
}
BENCHMARK(BM_Libproc2)->Unit(benchmark::kMicrosecond);

}  // namespace
