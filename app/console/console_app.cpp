#include "app/console/console_app.h"

#include "app/console/console_toolkit.h"
#include "contract/exit_status.h"

ConsoleApp::ConsoleApp(Form1& form, ConsoleToolkit& toolkit, ProcessEndWatch* ends)
    : FormHost(form, toolkit), toolkit_(toolkit), ends_(ends ? *ends : beatAlone_) {
    watchEnds(&ends_);
}

bool ConsoleApp::start(const std::function<std::string()>& note) {
    return load() && goOn(true, note);
}

int ConsoleApp::run() {
    Schedule& schedule = toolkit_.schedule();
    while (!toolkit_.unloaded()) {
        const auto wake = schedule.wake();
        if (!wake) {
            // Nothing could ever start the watch again.
            toolkit_.warn("the watch was stopped and nothing is left to wait for");
            toolkit_.unload(exit_status::kFailure);
            break;
        }
        if (ends_.sleepUntil(*wake)) {
            processesEnded();
        } else {
            wakeUp();
        }
    }
    return toolkit_.exitStatus();
}
