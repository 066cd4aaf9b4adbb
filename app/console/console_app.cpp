#include "app/console/console_app.h"

#include <algorithm>
#include <string>
#include <thread>

#include "app/console/console_toolkit.h"
#include "app/shared/no_display.h"
#include "app/shared/report_escaped_error.h"
#include "contract/exit_status.h"
#include "ui/form1.h"

void ConsoleApp::dispatch(const std::function<void()>& handler) {
    if (toolkit_.unloaded()) return;
    runReportingErrors(toolkit_, handler);
}

bool ConsoleApp::start() {
    dispatch([this] { form_.Form_Load(); });
    if (toolkit_.unloaded()) return false;
    if (!toolkit_.timerEnabled()) {
        toolkit_.warn(kNoDisplayMessage);
        toolkit_.unload(exit_status::kFailure);
        return false;
    }
    return true;
}

int ConsoleApp::run() {
    using Clock = ConsoleToolkit::Clock;
    while (!toolkit_.unloaded()) {
        const auto tick = toolkit_.nextTick();
        const auto deadline = toolkit_.deadline();
        if (!tick && !deadline) {
            // Nothing could ever start the watch again.
            toolkit_.warn("the watch was stopped and nothing is left to wait for");
            toolkit_.unload(exit_status::kFailure);
            break;
        }
        auto wake = tick ? *tick : *deadline;
        if (deadline) wake = std::min(wake, *deadline);
        std::this_thread::sleep_until(wake);
        const auto now = Clock::now();
        if (deadline && now >= *deadline) {
            toolkit_.unload(exit_status::kTimedOut);
        } else if (tick && now >= *tick) {
            toolkit_.tickRaised(now);
            dispatch([this] { form_.Timer1_Timer(); });
        }
    }
    return toolkit_.exitStatus();
}

int ConsoleApp::exitStatus() const {
    return toolkit_.exitStatus();
}
