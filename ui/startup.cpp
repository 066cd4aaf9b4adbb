// Form_Load: run-time captions, then the command line decides how the program starts.
#include <algorithm>

#include "contract/exit_status.h"
#include "contract/toolkit.h"
#include "ui/arguments.h"
#include "ui/form1.h"

void Form1::Form_Load() {
    std::string raw;
    try {
        raw = toolkit_.commandLine();
        toolkit_.setCaption(Control::Command1, "Update task list");
        toolkit_.setCaption(Control::Command2, "Usage");
        toolkit_.setCaption(Control::Command3, "About...");
        toolkit_.setCaption(Control::Command4, "Stop Looking");
        toolkit_.setCaption(Control::Command5, "Make command line");
        toolkit_.setCaption(Control::Label1, "Task List:");

        if (raw.empty()) {  // interactive start
            Command1_Click();
            toolkit_.setCaption(Control::Command4, "Start Looking");
            return;
        }

        // cmd hands the double quotes of a quoted word on to the program; no
        // task name holds one, so they go before the text is cut.
        std::string text = raw;
        if (toolkit_.commandShell() == CommandShell::Cmd) {
            text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
        }
        const WatchRequest request = parseWatchRequest(text);
        toolkit_.setValue(request.mode == 1 ? Control::Option1 : Control::Option2, true);
        toolkit_.setText(Control::Text1, request.taskName);
        toolkit_.setTimerEnabled(true);  // last, so no tick can come during start-up
        return;
    } catch (...) {
        // Any failure while starting up is reported as bad arguments.
    }
    toolkit_.messageBox("your arguments are not right\r\n" + raw);
    toolkit_.unload(exit_status::kBadArguments);
}
