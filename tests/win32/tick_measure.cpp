// Measures, side by side in one wine process, what a check costs the window
// program (Lingerjob.exe's Win32 toolkit, its window shown and painted after each
// tick) and lingerjob.com (the console toolkit), with the given number of
// processes running (names made up, so both see the same list; the Tool Help
// enumeration, the same for both, is measured beside them). Not a test:
// scripts/measure-windows-tick.sh builds and runs it and prints the figures.
//   tick_measure.exe [processes] [ticks] [processes that end a check] [that start]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "app/console/console_toolkit.h"
#include "app/win32/win32_app.h"
#include "app/win32/win32_form.h"
#include "app/win32/win32_toolkit.h"
#include "ui/form1.h"
#include "watch/process_enumerator.h"
#include "watch/windows/toolhelp_enumerator.h"

namespace {

// count processes, of which `ending` end between two checks and `starting` new
// ones start (Windows lists the new ones last).
struct ManyProcesses : ProcessEnumerator {
    ProcessSnapshot made;
    int ending;
    int starting;
    ProcessId next = 1000;
    ManyProcesses(int count, int ending, int starting) : ending(ending), starting(starting) {
        for (int i = 0; i < count; ++i) add();
    }
    void add() {
        made.processes.push_back({next, "Process-" + std::to_string(next) + ".exe"});
        next += 4;
    }
    std::optional<ProcessSnapshot> snapshot() override {
        auto& list = made.processes;
        for (int i = 0; i < ending && !list.empty(); ++i) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>((i * 7919u) % list.size()));
        }
        for (int i = 0; i < starting; ++i) add();
        return made;
    }
};

void pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Milliseconds a tick, over the given number of ticks after one to warm up.
template <typename Tick>
double perTick(int ticks, Tick&& tick) {
    tick();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < ticks; ++i) tick();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    return took.count() / ticks;
}

// Milliseconds a tick of the window program, and of them the repaint it leaves
// the window to do (the list, the blinking status label).
std::pair<double, double> windowTick(ManyProcesses& processes, int ticks) {
    Win32Form window(GetModuleHandleW(nullptr));
    Win32Toolkit toolkit(window, "/0 /no-such-task-in-this-measurement");
    Form1 form(toolkit, processes);
    Win32App app(form, window, toolkit);
    app.start(SW_SHOWNORMAL);
    pump();
    std::chrono::duration<double, std::milli> painting{};
    const double ms = perTick(ticks, [&] {
        form.Timer1_Timer();
        const auto start = std::chrono::steady_clock::now();
        UpdateWindow(window.window());
        pump();
        painting += std::chrono::steady_clock::now() - start;
    });
    toolkit.unload(0);
    pump();
    return {ms, painting.count() / (ticks + 1)};
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int ticks = argc > 2 ? std::atoi(argv[2]) : 20;
    const int ending = argc > 3 ? std::atoi(argv[3]) : 10;
    const int starting = argc > 4 ? std::atoi(argv[4]) : ending;
    ManyProcesses processes(count, ending, starting);
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure as it is measured

    ConsoleToolkit console("/0 /no-such-task-in-this-measurement", true, "C:\\lingerjob.com");
    Form1 consoleForm(console, processes);
    consoleForm.Form_Load();
    std::printf("processes listed: %d at first; between checks %d end and %d start\n", count,
                ending, starting);
    const double consoleMs = perTick(ticks, [&] { consoleForm.Timer1_Timer(); });
    std::printf("lingerjob.com check:                       %8.2f ms\n", consoleMs);
    const auto [windowMs, windowPaint] = windowTick(processes, ticks);
    std::printf("Lingerjob.exe tick:                        %8.2f ms  (%.2f ms of it painting)\n",
                windowMs, windowPaint);
    ToolhelpEnumerator toolhelp;
    const double enumerateMs = perTick(ticks, [&] { toolhelp.enumerate(); });
    std::printf("Tool Help enumeration (real processes):    %8.2f ms\n", enumerateMs);
    std::printf("with it, Lingerjob.exe against lingerjob.com: %.2f times\n",
                (enumerateMs + windowMs) / (enumerateMs + consoleMs));
    return 0;
}
