#include "app/console/console_app.h"

#include <algorithm>
#include <string>
#include <thread>

#include "app/console/console_toolkit.h"
#include "contract/exit_status.h"

ConsoleApp::ConsoleApp(Form1& form, ConsoleToolkit& toolkit)
    : FormHost(form, toolkit), toolkit_(toolkit) {}

bool ConsoleApp::start(const std::function<std::string()>& note) {
    return load() && goOn(true, note);
}

int ConsoleApp::run() {
    using Clock = ConsoleToolkit::Clock;
    while (!toolkit_.unloaded()) {
        const auto nextTick = toolkit_.nextTick();
        const auto deadline = toolkit_.deadline();
        if (!nextTick && !deadline) {
            // Nothing could ever start the watch again.
            toolkit_.warn("the watch was stopped and nothing is left to wait for");
            toolkit_.unload(exit_status::kFailure);
            break;
        }
        auto wake = nextTick ? *nextTick : *deadline;
        if (deadline) wake = std::min(wake, *deadline);
        std::this_thread::sleep_until(wake);
        const auto now = Clock::now();
        // A check due no later than the deadline runs first: the wait may be
        // over by then (--timeout=3 with a check at 3 s ends with 0).
        if (nextTick && now >= *nextTick && (!deadline || *nextTick <= *deadline)) {
            toolkit_.tickRaised(now);
            tick();
        }
        if (deadline && now >= *deadline) timeOut();
    }
    return toolkit_.exitStatus();
}
