// lingerjob: waits while (mode 1) or until (mode 0) a process whose executable
// name contains the task name runs; without arguments, an interactive window.
#include <QApplication>
#include <iostream>

#include "app/qt/command_line.h"
#include "app/qt/display.h"
#include "app/qt/qt_app.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "contract/exit_status.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"
#include "watch/linux/proc_visibility.h"

int main(int argc, char** argv) {
    const std::string arguments = joinArguments(argc, argv);

    preferDesktopThenOffscreen();
    // Qt sees only the program's name: every argument, "-platform" included, is ours.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);  // the toolkit decides when to end

    ProcEnumerator processes;
    QtForm window;
    QtToolkit toolkit(window, arguments, runningWithoutDisplay());
    Form1 form(toolkit, processes);
    QtApp app(form, window, toolkit);

    if (!app.start()) return toolkit.exitStatus();
    if (toolkit.headless() && !toolkit.timerEnabled()) {
        std::cerr << "lingerjob: no display, so the window cannot be used; "
                     "to wait from a script give a mode and a task, e.g. lingerjob /1 /task\n";
        return exit_status::kFailure;
    }
    if (const auto note = hiddenProcessesNote(); !note.empty()) toolkit.warn(note);
    QApplication::exec();
    return toolkit.exitStatus();
}
