#include "app/shared/form_host.h"

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "app/shared/adapter_toolkit.h"
#include "contract/exit_status.h"
#include "ui/form1.h"
#include "watch/process_end_watch.h"

namespace {

// The handler each control's click runs.
using Handler = void (Form1::*)();
constexpr std::pair<Control, Handler> kClickHandlers[] = {
    {Control::Command1, &Form1::Command1_Click}, {Control::Command2, &Form1::Command2_Click},
    {Control::Command3, &Form1::Command3_Click}, {Control::Command4, &Form1::Command4_Click},
    {Control::Command5, &Form1::Command5_Click}, {Control::List1, &Form1::List1_Click},
};

constexpr const char* kNoDisplayMessage =
    "no display, so the window cannot be used; "
    "to wait from a script give a mode and a task, e.g. lingerjob /1 /task";

}  // namespace

bool FormHost::load() {
    dispatch([this] { form_.Form_Load(); });
    toolkit_.schedule().endStartUp();
    return !toolkit_.unloaded();
}

bool FormHost::goOn(bool headless, const std::function<std::string()>& note) {
    if (toolkit_.unloaded()) return false;
    if (headless && !toolkit_.timerEnabled()) {
        toolkit_.warn(kNoDisplayMessage);
        toolkit_.unload(exit_status::kFailure);
        return false;
    }
    if (note) {
        if (const std::string said = note(); !said.empty()) toolkit_.warn(said);
    }
    return true;
}

bool FormHost::noWindow() const {
    return form_.NoWindow();
}

void FormHost::click(Control control) {
    for (const auto& [clicked, handler] : kClickHandlers) {
        if (clicked == control) {
            dispatch([this, handler = handler] { (form_.*handler)(); });
            return;
        }
    }
}

void FormHost::tick() {
    dispatch([this] { form_.Timer1_Timer(); });
    if (!ends_ || toolkit_.unloaded()) return;
    try {
        ends_->watch(toolkit_.schedule().enabled() ? form_.AwaitedProcesses()
                                                   : std::vector<ProcessId>{});
    } catch (const std::bad_alloc&) {
        ends_->watch({});  // the beat alone
    }
    // They may all have ended between the check and the watch.
    if (ends_->allEnded()) toolkit_.schedule().checkEarly();
}

void FormHost::wakeUp() {
    const Schedule::Due due = toolkit_.schedule().take();
    if (due.check) tick();
    if (due.timeOut) timeOut();
    // A timer that cannot be set is a run-time error like any handler's.
    dispatch([this] { toolkit_.rearm(); });
}

void FormHost::processesEnded() {
    if (ends_ && form_.Verbose() && !toolkit_.unloaded()) {
        for (const auto& [id, code] : ends_->takeExitCodes()) {
            toolkit_.warn("process " + std::to_string(id) + " ended with exit code " +
                          std::to_string(code));
        }
    }
    toolkit_.schedule().checkEarly();
    wakeUp();
}

void FormHost::resize() {
    dispatch([this] { form_.Form_Resize(); });
}

void FormHost::close() {
    dispatch([this] {
        if (form_.Verbose()) toolkit_.warn("the window was closed");
        toolkit_.unload(exit_status::kWaitOver);
    });
}

void FormHost::timeOut() {
    if (toolkit_.unloaded()) return;
    if (form_.Verbose()) toolkit_.warn("the time-out ran out before the wait was over");
    toolkit_.unload(exit_status::kTimedOut);
    endIfNested();
}

void FormHost::dispatch(const std::function<void()>& handler) {
    if (toolkit_.unloaded() || reporting_) return;
    ++depth_;
    std::string error;
    bool failed = false;
    bool outOfMemory = false;
    try {
        handler();
    } catch (const std::bad_alloc&) {
        failed = outOfMemory = true;
    } catch (const std::exception& e) {
        failed = true;
        error = e.what();
    } catch (...) {
        failed = true;
        error = "unknown error";
    }
    if (failed && !toolkit_.unloaded()) {
        reporting_ = true;
        if (outOfMemory) {
            // One line, no box: a box needs the memory that is missing.
            toolkit_.warnOutOfMemory();
        } else {
            try {
                toolkit_.warn("run-time error: " + error);
                toolkit_.messageBox("Run-time error:\r\n" + error);
            } catch (...) {
                // The report itself failed; the program ends all the same.
            }
        }
        reporting_ = false;
        toolkit_.unload(exit_status::kFailure);
    }
    --depth_;
    endIfNested();
}

int FormHost::exitStatus() const {
    return toolkit_.exitStatus();
}

// The window went while an outer handler still waits in a message box: the
// program ends now, not when somebody closes that box.
void FormHost::endIfNested() {
    if (toolkit_.unloaded() && depth_ > 0 && endNested) endNested(toolkit_.exitStatus());
}
