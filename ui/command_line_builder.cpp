// "Make command line": the line that starts this program waiting on the chosen
// task in the chosen mode, quoted for the shell it is pasted into.
#include "contract/toolkit.h"
#include "ui/form1.h"
#include "ui/shell_quoting.h"

// " /1 " or " /0 ", the word "/" + Text1 (quoted where the shell needs it), one
// blank. Where nothing needs quoting this is " /1 /" + Text1 + " ".
std::string Form1::BuildArgs() {
    std::string tail = toolkit_.value(Control::Option1) ? " /1 " : " /0 ";
    tail += shellWord(toolkit_.commandShell(), "/" + toolkit_.text(Control::Text1));
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
    // The box shows a line break inside a task as \n, so the shown line is the
    // one line that was copied.
    toolkit_.messageBox(visibleControls(line) + "\r\nCopied to clipboard.");
}
