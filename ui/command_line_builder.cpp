// "Make command line": the line that starts this program waiting on the chosen
// task in the chosen mode.
#include "ui/form1.h"
#include "contract/toolkit.h"

// " /1 /" or " /0 /", Text1 as it stands, one blank.
std::string Form1::BuildArgs() {
    std::string tail = toolkit_.value(Control::Option1) ? " /1 /" : " /0 /";
    tail += toolkit_.text(Control::Text1);
    tail += ' ';
    return tail;
}

void Form1::Command5_Click() {
    const std::string folder = toolkit_.appFolder();
    const std::string name = toolkit_.exeBaseName();
    const std::string line = folder + toolkit_.dirSeparator() + name + BuildArgs();
    toolkit_.clipboardClear();
    toolkit_.clipboardSetText(line);
    toolkit_.messageBox(line + "\r\nCopied to clipboard.");
}
