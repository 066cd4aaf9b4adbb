// lingerjob: waits while (mode 1) or until (mode 0) a process whose executable
// name contains the task name runs; without arguments, an interactive window.
#include <QApplication>
#include <csignal>
#include <iostream>

#include "app/qt/command_line.h"
#include "app/qt/display.h"
#include "app/qt/qt_app.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "app/qt/quiet_messages.h"
#include "contract/exit_status.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"

int main(int argc, char** argv) {
    // A caller that stopped reading standard error must still get the status of
    // the table, not death by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    const std::string arguments = joinArguments(argc, argv);

    quietQtMessages();  // before preferDesktopThenOffscreen sets QT_LOGGING_RULES
    preferDesktopThenOffscreen();
    // Qt sees only the program's name: every argument, "-platform" included, is ours.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);  // the toolkit decides when to end

    ProcEnumerator processes;
    QtForm window;
    QtToolkit toolkit(window, arguments, runningWithoutDisplay(), argc > 1);
    Form1 form(toolkit, processes);
    QtApp app(form, window, toolkit);

    if (!app.start()) return toolkit.exitStatus();
    if (toolkit.headless() && !toolkit.timerEnabled()) {
        std::cerr << "lingerjob: no display, so the window cannot be used; "
                     "to wait from a script give a mode and a task, e.g. lingerjob /1 /task\n";
        return exit_status::kFailure;
    }
    QApplication::exec();
    return toolkit.exitStatus();
}
