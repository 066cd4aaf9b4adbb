// A run-time error in a handler that does not trap its own (here "Make command
// line", whose clipboard fails) is reported and ends the program with the
// failure status, caught by the adapter before it can unwind into Qt.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/qt/qt_app.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "contract/runtime_error.h"
#include "tests/fake_toolkit.h"
#include "ui/form1.h"

namespace {

namespace fs = std::filesystem;

// The Qt toolkit with a clipboard that cannot be used.
class BrokenClipboardToolkit : public QtToolkit {
  public:
    using QtToolkit::QtToolkit;
    void clipboardClear() override { throw RuntimeError("the clipboard is not available"); }
};

// The program's event loop in this (child) process: loads the window, clicks
// Command5 from the loop, and returns what the loop returned. A second click
// queued behind the first must find the program already ending.
int runProgram() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "stress_qt_tests";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    ScriptedProcesses processes;
    processes.set({"init"});
    QtForm window;
    BrokenClipboardToolkit toolkit(window, "", true, false);
    Form1 form(toolkit, processes);
    QtApp app(form, window, toolkit);
    if (!app.start()) return 100;

    auto* command5 = static_cast<QAbstractButton*>(window.widget(Control::Command5));
    QTimer::singleShot(0, command5, [command5] {
        command5->click();
        command5->click();
    });
    // Should the failure not end the loop, this does, with a status of its own.
    QTimer::singleShot(10000, [] { QApplication::exit(101); });
    return QApplication::exec();
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(HandlerError, AnErrorInMakeCommandLineIsReportedAndEndsTheProgramWithStatusOne) {
    const fs::path output =
        fs::temp_directory_path() / ("lingerjob-handler-error-" + std::to_string(getpid()));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // stderr, where the headless adapter reports, goes to a file we can read.
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 2);
        // exit, not _exit: the sanitizers' end-of-run checks must see this child too.
        std::exit(runProgram());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    const std::string report = fileText(output);
    fs::remove(output);

    ASSERT_TRUE(WIFEXITED(status)) << "the program did not end by itself (signal "
                                   << (WIFSIGNALED(status) ? WTERMSIG(status) : 0) << "):\n"
                                   << report;
    EXPECT_EQ(WEXITSTATUS(status), 1) << report;
    std::size_t reports = 0;
    for (std::size_t at = 0;
         (at = report.find("run-time error: the clipboard", at)) != std::string::npos; ++at) {
        ++reports;
    }
    EXPECT_EQ(reports, 1u) << "one report, and the second click ran nothing:\n" << report;
    EXPECT_EQ(report.find("Copied to clipboard."), std::string::npos)
        << "the handler went on after the error:\n"
        << report;
}

}  // namespace
