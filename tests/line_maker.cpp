// Makes the line "Make command line" copies, with the real core and this
// machine's real process list, for the tests that paste it into a shell script
// or a batch file. Prints the clipboard's text, nothing after it.
//   line_maker <posix|cmd> <program folder> <exe name> <mode 0|1> <pick|type> <task>
// pick: the task is picked from the list (the entry must be there; the list is
// refreshed for up to 10 s until it is); type: it is typed into Text1.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/fake_toolkit.h"
#include "ui/form1.h"
#ifdef _WIN32
#include "watch/windows/toolhelp_enumerator.h"
using Enumerator = ToolhelpEnumerator;
#else
#include "watch/linux/proc_enumerator.h"
using Enumerator = ProcEnumerator;
#endif

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(stderr,
                     "usage: line_maker <posix|cmd> <folder> <exe> <0|1> <pick|type> <task>\n");
        return 2;
    }
    const std::string task = argv[6];
    FakeToolkit tk;
    tk.shell = std::string(argv[1]) == "posix" ? CommandShell::Posix : CommandShell::Cmd;
    tk.separator = tk.shell == CommandShell::Posix ? "/" : "\\";
    tk.folder = argv[2];
    tk.exeName = argv[3];
    Enumerator processes;
    Form1 form(tk, processes);
    form.Form_Load();  // interactive start: fills the list
    tk.option1 = std::string(argv[4]) == "1";
    if (std::string(argv[5]) == "pick") {
        for (int tries = 0; tk.selected < 0; ++tries) {
            for (int i = 0; i < tk.listCount(); ++i) {
                if (tk.listItem(i) == task) tk.selected = i;
            }
            if (tk.selected >= 0) break;
            if (tries == 100) {
                std::fprintf(stderr, "line_maker: no entry \"%s\" in the list\n", task.c_str());
                return 1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            form.Command1_Click();
        }
        form.List1_Click();
    } else {
        tk.text1 = task;
    }
    form.Command5_Click();
    std::fwrite(tk.clipboard->data(), 1, tk.clipboard->size(), stdout);
    return 0;
}
