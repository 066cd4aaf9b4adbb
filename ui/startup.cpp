// Form_Load: run-time captions, then the command line decides how the program starts.
#include <new>

#include "contract/exit_status.h"
#include "contract/toolkit.h"
#include "ui/arguments.h"
#include "ui/form1.h"
#include "ui/messages.h"

namespace {

bool onlyBlanks(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

// What a task that looks like a path ("/1 /tmp/x/sleeper") is read as, and the
// program's name alone, which the user most likely meant (the last piece that is
// not blank). Nothing when only slashes and blanks follow the task.
std::string pathWarning(const WatchRequest& request) {
    std::string program;
    for (const std::string& piece : splitAll(request.ignored, '/')) {
        if (!onlyBlanks(piece)) program = trimBlanks(piece);
    }
    if (program.empty()) return {};
    return "the task sought is \"" + request.taskName + "\"; \"" + request.ignored +
           "\" after the next \"/\" is ignored. Give the program's name alone, e.g. /" +
           std::to_string(request.mode) + " /" + program;
}

}  // namespace

void Form1::Form_Load() {
    std::string raw;
    std::string problem;  // what is wrong with an option, for the rejection's last line
    try {
        raw = toolkit_.commandLine();
        const bool argumentsGiven = toolkit_.argumentsGiven();
        toolkit_.setCaption(Control::Command1, "Update task list");
        toolkit_.setCaption(Control::Command2, "Usage");
        toolkit_.setCaption(Control::Command3, "About...");
        toolkit_.setCaption(Control::Command4, "Stop Looking");
        toolkit_.setCaption(Control::Command5, "Make command line");
        toolkit_.setCaption(Control::Label1, "Task List:");

        SplitArguments split;
        if (argumentsGiven) {
            // cmd hands on the quotes a batch file puts around arguments.
            try {
                split = takeOptions(
                    toolkit_.commandShell() == CommandShell::Cmd ? withoutQuotes(raw) : raw);
            } catch (const OptionError& e) {
                problem = e.what();
                throw;
            }
        }
        const Options& options = split.options;
        if (options.help || options.version) {
            toolkit_.showInformation(
                options.help ? helpText(toolkit_.commandShell(), toolkit_.informationInColumns())
                             : versionText(toolkit_.version()));
            toolkit_.unload(exit_status::kWaitOver);
            return;
        }
        if (options.intervalMs) toolkit_.setTimerInterval(*options.intervalMs);
        tick_.setMatch(TaskMatch{options.exact, options.full});
        noWindow_ = options.noWindow;
        tick_.setVerbose(options.verbose);

        // Only a start without arguments, or with options alone, is interactive:
        // arguments that join to nothing or blanks are no "/mode /task".
        if (!argumentsGiven || (options.given && onlyBlanks(split.rest))) {
            Command1_Click();
            toolkit_.setCaption(Control::Command4, "Start Looking");
            if (options.timeoutMs) toolkit_.setDeadline(*options.timeoutMs);
            return;
        }

        const WatchRequest request = parseWatchRequest(split.rest);
        toolkit_.setValue(request.mode == 1 ? role::kWhileRunning : role::kWhileNotRunning, true);
        toolkit_.setText(role::kTaskName, request.taskName);
        if (const std::string warning = pathWarning(request); !warning.empty()) {
            toolkit_.warn(warning);
        }
        if (options.timeoutMs) toolkit_.setDeadline(*options.timeoutMs);
        toolkit_.setTimerEnabled(true);  // last, so no tick can come during start-up
        return;
    } catch (const std::bad_alloc&) {
        throw;  // not the arguments' fault: the program ends with a run-time error
    } catch (...) {
        // Any other failure while starting up is reported as bad arguments.
    }
    std::string message = "your arguments are not right\r\n" + raw;
    if (!problem.empty()) message += "\r\n" + problem;
    toolkit_.messageBox(message);
    // On standard error only; the box keeps its text.
    toolkit_.warn(expectedForm());
    toolkit_.unload(exit_status::kBadArguments);
}
