// lingerjob-window: the lingerjob program with its Qt window. The lingerjob
// launcher runs it as its child when there is a display, and is told its final
// status (app/launcher/status_pipe.h); started without a display it falls back
// to Qt's offscreen platform and works as the launcher would.
#include <sys/prctl.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>
#include <optional>

#include "app/launcher/status_pipe.h"
#include "app/qt/display.h"
#include "app/qt/qt_app.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "app/qt/quiet_messages.h"
#include "app/shared/entry.h"
#include "ui/form1.h"
#include "watch/linux/pidfd_watch.h"
#include "watch/linux/proc_enumerator.h"
#include "watch/linux/proc_visibility.h"

int main(int argc, char** argv) {
    status_pipe::takeFromLauncher();
    ignoreBrokenPipes();
    const std::string arguments = joinArguments(argc, argv);
    // The launcher's own path, which "Make command line" names; nothing we start
    // is to see it.
    const char* launcher = std::getenv("LINGERJOB_PROGRAM");
    const std::string programPath = launcher ? launcher : "";
    unsetenv("LINGERJOB_PROGRAM");
    // The process keeps the launcher's name too, for ps, pgrep -x and killall.
    if (!programPath.empty()) {
        prctl(PR_SET_NAME, programPath.substr(programPath.rfind('/') + 1).c_str());
    }

    quietQtMessages();  // before preferDesktopThenOffscreen sets QT_LOGGING_RULES
    preferDesktopThenOffscreen();
    // Qt sees only the program's name: every argument, "-platform" included, is ours.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);  // the toolkit decides when to end
    quietLostX11Display();
    // The beat that tells the launcher this program answers: from the event loop,
    // a message box's included, so it stops when the loop does.
    QTimer beat;
    if (status_pipe::launcherWaits()) {
        status_pipe::beat();  // connected to the display
        QObject::connect(&beat, &QTimer::timeout, [] { status_pipe::beat(); });
        beat.start(status_pipe::kBeatMs);
    }

    ProcEnumerator processes;
    QtForm window;
    QtToolkit toolkit(window, arguments, runningWithoutDisplay(), argc > 1, programPath);
    Form1 form(toolkit, processes);
    QtApp app(form, window, toolkit);
    // The ends of the awaited processes, heard in the event loop: a check at once
    // when all have ended.
    PidfdWatch ends;
    app.watchEnds(&ends);
    std::optional<QSocketNotifier> endHeard;
    if (const int heard = ends.listen(); heard >= 0) {
        endHeard.emplace(heard, QSocketNotifier::Read);
        QObject::connect(&*endHeard, &QSocketNotifier::activated, [&] {
            if (ends.collect()) app.processesEnded();
        });
    }

    if (!app.start() ||
        !app.goOn(toolkit.headless() || app.noWindow(), [] { return hiddenProcessesNote(); })) {
        return status_pipe::tellLauncher(toolkit.exitStatus());
    }
    QApplication::exec();
    return status_pipe::tellLauncher(toolkit.exitStatus());
}
