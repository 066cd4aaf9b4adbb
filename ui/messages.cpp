// "Usage" and "About...": fixed information in a message box.
#include "ui/messages.h"

#include "ui/form1.h"

namespace {
constexpr const char* kCreditLine = "Lingerjob by its developers";
constexpr const char* kWebAddress = "https://lingerjob.example.org/";
}  // namespace

std::string usageText() {
    return "Use it in batch file or from a command (DOS) prompt.\r\n"
           "Usage: LINGERJOB /0|1 /TASK\r\n"
           "0|1 means 0 or 1.\r\n"
           "If 1 it waits if TASK is running.\r\n"
           "If 0 it waits if TASK is not running.\r\n"
           "COMMAND must exist (Use full path!).\r\n"
           "e.g.:lingerjob /0 /calc.exe\r\n"
           "This means wait if the calculator is running.";
}

std::string aboutText(const AppVersion& version) {
    return std::string(kCreditLine) + " version:" + std::to_string(version.major) + "." +
           std::to_string(version.minor) + "." + std::to_string(version.revision) + "\r\n" +
           kWebAddress;
}

void Form1::Command2_Click() {
    toolkit_.messageBox(usageText());
}

void Form1::Command3_Click() {
    toolkit_.messageBox(aboutText(toolkit_.version()));
}
