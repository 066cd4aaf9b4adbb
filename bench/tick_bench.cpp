// One watch tick through the Qt adapter on the offscreen platform, and through the
// console adapter that runs every wait without a display: blink, snapshot, refill
// of the list, search. The task name matches nothing and the mode waits for it to
// appear, so every tick shows "Not found." and goes on.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QListWidget>
#include <sstream>

#include "app/console/console_toolkit.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"
#include "watch/task_list.h"

namespace {

// A shown window waiting in mode 0 for a task that never runs.
struct WaitingWindow {
    ProcEnumerator processes;
    QtForm window;
    QtToolkit toolkit{window, "/0 /no-such-task-in-this-benchmark", true, true};
    Form1 form{toolkit, processes};

    WaitingWindow() {
        toolkit.setText(Control::Text1, "no-such-task-in-this-benchmark");
        toolkit.setValue(Control::Option2, true);
        window.show();
        QCoreApplication::processEvents();
        refreshTaskList(toolkit, processes);  // the wait's first check, which reads every process
    }
};

// The task list refresh alone: snapshot, lower-casing and the list widget refill.
void BM_QtListRefresh(benchmark::State& state) {
    WaitingWindow w;
    for (auto _ : state) {
        if (!refreshTaskList(w.toolkit, w.processes)) {
            state.SkipWithError("the processes could not be enumerated");
            return;
        }
    }
    state.counters["processes"] = w.toolkit.listCount();
}
BENCHMARK(BM_QtListRefresh)->Unit(benchmark::kMicrosecond);

void BM_QtTick(benchmark::State& state) {
    WaitingWindow w;
    for (auto _ : state) {
        w.form.Timer1_Timer();
        if (w.toolkit.unloaded()) {
            state.SkipWithError("the tick ended the wait");
            return;
        }
    }
    state.counters["processes"] = w.toolkit.listCount();
}
BENCHMARK(BM_QtTick)->Unit(benchmark::kMicrosecond);

// The tick followed by the event processing it causes (layout and painting of
// the refilled list), as between two ticks of the running program.
void BM_QtTickWithEvents(benchmark::State& state) {
    WaitingWindow w;
    for (auto _ : state) {
        w.form.Timer1_Timer();
        QCoreApplication::processEvents();
        if (w.toolkit.unloaded()) {
            state.SkipWithError("the tick ended the wait");
            return;
        }
    }
    state.counters["processes"] = w.toolkit.listCount();
}
BENCHMARK(BM_QtTickWithEvents)->Unit(benchmark::kMicrosecond);

// The same tick as the headless program runs it.
void BM_ConsoleTick(benchmark::State& state) {
    std::ostringstream out, err;
    ConsoleToolkit toolkit("/0 /no-such-task-in-this-benchmark", true, "/usr/bin/lingerjob", out,
                           err);
    ProcEnumerator processes;
    Form1 form(toolkit, processes);
    form.Form_Load();
    refreshTaskList(toolkit, processes);  // the wait's first check
    for (auto _ : state) {
        form.Timer1_Timer();
        if (toolkit.unloaded()) {
            state.SkipWithError("the tick ended the wait");
            return;
        }
    }
    state.counters["processes"] = toolkit.listCount();
}
BENCHMARK(BM_ConsoleTick)->Unit(benchmark::kMicrosecond);

}  // namespace
