// Runs the benchmarks with a QApplication on Qt's offscreen platform, so the
// whole-tick benchmark needs no display. Exits with 1 when a benchmark could not
// run (or none matched the filter), so a script notices.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <iostream>

namespace {

// The console report, remembering whether any benchmark reported an error.
class CheckingReporter : public benchmark::ConsoleReporter {
  public:
    CheckingReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) failed = true;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    bool failed = false;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("QT_LOGGING_RULES", "qt.qpa.*=false", 0);
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);

    CheckingReporter reporter;
    const std::size_t ran = benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (ran == 0 || reporter.failed) {
        std::cerr << "lingerjob_bench: " << (ran == 0 ? "no benchmark ran" : "a benchmark failed")
                  << '\n';
        return 1;
    }
    return 0;
}
