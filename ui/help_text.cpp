// What --help and --version show.
#include <string>

#include "ui/messages.h"

namespace {

// For a terminal of 80 columns: with a shell script's example for a POSIX shell,
// with batch examples that run the console program for cmd.
std::string terminalHelp(CommandShell shell) {
    const bool cmd = shell == CommandShell::Cmd;
    return std::string(
               "Usage: lingerjob [OPTION]... /MODE /TASK\r\n"
               "       lingerjob [OPTION]...\r\n") +
           (cmd ? "Make a batch file or a script wait on another program.\r\n"
                : "Make a shell script or a batch file wait on another program.\r\n") +
           "\r\n"
           "  /1 /TASK  wait while a process whose name contains TASK runs\r\n"
           "  /0 /TASK  wait while no such process runs (every mode but 1 means this)\r\n"
           "Without /MODE /TASK the interactive window opens.\r\n"
           "\r\n"
           "A process matches when TASK, lower-cased, is a part of its name in lower\r\n" +
           (cmd ? "case, the file name it was started from (setup.exe). An empty TASK matches\r\n"
                  "every process. Double quotes are removed, spaces and tabs around TASK too,\r\n"
                  "and TASK ends at the next \"/\": give a program's name, not a path with\r\n"
                  "\"/\" (/1 /C:/x/app.exe seeks \"c:\", and says so on standard error).\r\n"
                : "case: the name it was started under (a link's own name, a script's file\r\n"
                  "name), not its executable file's. An empty TASK matches every process.\r\n"
                  "Spaces and tabs around TASK are removed, and TASK ends at the next \"/\":\r\n"
                  "give a program's name, not its path (/1 /tmp/x/app seeks \"tmp\", and says\r\n"
                  "so on standard error).") +
           (cmd ? "" : " ") +
           "The first check comes one interval after the start.\r\n"
           "\r\n"
           "Options, before, between or after /MODE /TASK; no word after -- is one:\r\n"
           "  --exact             the whole name must equal TASK\r\n"
           "  --full              seek TASK in the whole command line, its arguments\r\n"
           "                      joined by single blanks (with --exact: equal it); a\r\n"
           "                      process whose command line cannot be read goes by\r\n"
           "                      its name\r\n"
           "  --no-window         wait without a window even on a display\r\n"
           "  --timeout=SECONDS   end with status 124 if the wait is not over by then\r\n"
           "  --interval=SECONDS  time between checks, 0.1 to 3600 (default 3)\r\n"
           "  -v, --verbose       say on standard error which processes match, when that\r\n"
           "                      changes, and why the wait ended\r\n"
           "  -h, --help          show this help and end\r\n"
           "  -V, --version       show the version and end\r\n"
           "\r\n" +
           (cmd ? "Exit status (errorlevel):\r\n" : "Exit status:\r\n") +
           "  0    the wait is over, or the window was closed\r\n"
           "  1    a run-time error; or the window was asked for without a display\r\n"
           "  2    the arguments are not right\r\n"
           "  124  the --timeout ran out before the wait was over\r\n"
           "\r\n" +
           (cmd ? "In a batch file, go on once setup.exe has ended, at most 10 minutes:\r\n"
                  "  lingerjob --timeout=600 /1 /setup.exe\r\n"
                  "  if errorlevel 124 echo setup.exe still runs\r\n"
                  "Wait while a python -m http.server runs, and no other python:\r\n"
                  "  lingerjob --full /1 /http.server\r\n"
                  "Go on once the calculator runs, checking every second:\r\n"
                  "  lingerjob --interval=1 /0 /calc.exe"
                : "In a shell script, go on once setup-helper has ended, at most 10 minutes:\r\n"
                  "  ./setup-helper &\r\n"
                  "  lingerjob --timeout=600 /1 /setup-helper || exit 1\r\n"
                  "Wait while a python3 -m http.server runs, and no other python3:\r\n"
                  "  lingerjob --full /1 /http.server\r\n"
                  "In a batch file, go on once the calculator runs, checking every second:\r\n"
                  "  Lingerjob.exe --interval=1 /0 /calc.exe\r\n"
                  "  echo the calculator is running");
}

// For a message box, which breaks long lines itself and shows no columns: one
// line a paragraph, no table; the examples are batch lines.
std::string boxHelp() {
    return "Usage: lingerjob [OPTION]... /MODE /TASK, or lingerjob [OPTION]... alone.\r\n"
           "Make a batch file or a script wait on another program.\r\n"
           "\r\n"
           "/1 /TASK: wait while a process whose name contains TASK runs.\r\n"
           "/0 /TASK: wait while no such process runs (every mode but 1 means this).\r\n"
           "Without /MODE /TASK the interactive window opens.\r\n"
           "\r\n"
           "A process matches when TASK, lower-cased, is a part of its name in lower case, "
           "the file name it was started from (setup.exe); an empty TASK matches every process. "
           "Double quotes are removed, spaces and tabs around TASK too, and TASK ends at the next "
           "\"/\": give a program's name, not a path with \"/\". The first check comes one "
           "interval after the start.\r\n"
           "\r\n"
           "Options may stand before, between or after /MODE /TASK; no word after -- is one.\r\n"
           "--exact: the whole name must equal TASK, with or without its .exe.\r\n"
           "--full: seek TASK in the whole command line, its arguments joined by single blanks "
           "(with --exact: equal it); a process whose command line cannot be read goes by its "
           "name.\r\n"
           "--no-window: wait without showing the window.\r\n"
           "--timeout=SECONDS: end with status 124 if the wait is not over by then.\r\n"
           "--interval=SECONDS: the time between checks, 0.1 to 3600 (default 3).\r\n"
           "-h, --help: show this help and end.\r\n"
           "-V, --version: show the version and end.\r\n"
           "\r\n"
           "Exit status (errorlevel): 0 the wait is over, or the window was closed; 1 a "
           "run-time error; 2 the arguments are not right; 124 the --timeout ran out before "
           "the wait was over.\r\n"
           "\r\n"
           "In a batch file, go on once setup.exe has ended, at most 10 minutes:\r\n"
           "    Lingerjob.exe --timeout=600 /1 /setup.exe\r\n"
           "    if errorlevel 124 echo setup.exe still runs\r\n"
           "Go on once the calculator runs, checking every second:\r\n"
           "    Lingerjob.exe --interval=1 /0 /calc.exe";
}

}  // namespace

std::string helpText(CommandShell shell, bool inColumns) {
    return inColumns ? terminalHelp(shell) : boxHelp();
}

std::string versionText(const AppVersion& version) {
    return "lingerjob " + std::to_string(version.major) + "." + std::to_string(version.minor) +
           "." + std::to_string(version.revision);
}
