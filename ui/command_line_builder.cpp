// "Make command line": the line that starts this program waiting on the chosen
// task in the chosen mode, quoted for the shell it is pasted into.
#include "contract/toolkit.h"
#include "ui/arguments.h"
#include "ui/form1.h"
#include "ui/shell_quoting.h"

// The window's own --exact and --full, if any; " /1 " or " /0 ", the word "/" + Text1 (quoted where
// the shell needs it), one blank. Where nothing needs quoting this is " /1 /" + Text1 + " ". A task
// that start-up would read an option in ("my --x", "a -h b") gets the end of the options, " --", in
// front, so that the line starts the program on that task.
std::string Form1::BuildArgs() {
    const CommandShell shell = toolkit_.commandShell();
    const std::string task = "/" + toolkit_.text(Control::Text1);
    // Looked for as start-up will see the task: after cmd, without its double
    // quotes, which start-up removes first (a "-h" b holds the word -h).
    const bool marked = holdsOptionWord(shell == CommandShell::Cmd ? withoutQuotes(task) : task);
    // The window's --exact and --full, so the line waits as the window did.
    const TaskMatch& match = tick_.match();
    std::string tail = matchingOptionWords(match.exact, match.full);
    if (marked) tail += " --";
    tail += toolkit_.value(Control::Option1) ? " /1 " : " /0 ";
    tail += shellWord(shell, task);
    tail += ' ';
    return tail;
}

void Form1::Command5_Click() {
    const std::string folder = toolkit_.appFolder();
    const std::string name = toolkit_.exeBaseName();
    const std::string program =
        shellWord(toolkit_.commandShell(), folder + toolkit_.dirSeparator() + name);
    const std::string line = program + BuildArgs();
    toolkit_.clipboardClear();
    toolkit_.clipboardSetText(line);
    // The box shows a line break inside a task as \n, and a character that hides
    // or turns text around spelled out, so the shown line is the one line copied.
    toolkit_.messageBox(visibleText(line) + "\r\nCopied to clipboard.");
}
