// The watch as the program runs it, through the Qt adapter on the offscreen
// platform: thousands of ticks from the window's own timer, each reading the real
// /proc and refilling the list, must not grow descriptors or memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "app/qt/qt_app.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "tests/stress/process_usage.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"

namespace {

constexpr int kTicks = 10000;
constexpr int kWarmUp = 100;
// Qt's caches (glyphs, pixmaps, style) settle in the first ticks; after that a
// steady watch needs nothing more than a longer list when more processes run.
constexpr std::size_t kResidentSlackKiB = 1024;
constexpr std::size_t kResidentKiBPerExtraEntry = 1;
// The heap in use with the list emptied: room for a glyph or two that a new
// process name may add to Qt's font cache, and for what the list view keeps
// reserved after a longer list, and for what the enumerator keeps of each process
// between snapshots; far less than one allocation per tick.
constexpr std::size_t kHeapSlackBytes = 64 * 1024;
constexpr std::size_t kHeapBytesPerExtraEntry = 96 + 2 * sizeof(proc_process::Known);

using process_usage::Usage;

// Measured with the list emptied (the next tick refills it), so the heap holds
// nothing that depends on how many processes happen to run.
Usage measure(QtToolkit& toolkit) {
    toolkit.listClear();
    return process_usage::now();
}

TEST(QtSoak, TenThousandTicksOfAWatchThatKeepsWaitingHoldNoMoreThanTheFirstHundred) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "stress_qt_tests";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    ProcEnumerator processes;
    QtForm window;
    QtToolkit toolkit(window, "", true, false);
    Form1 form(toolkit, processes);
    QtApp app(form, window, toolkit);
    ASSERT_TRUE(app.start());  // the interactive start, window shown

    // Mode 0 on a task that never runs (the program leaves itself out of the
    // list): not found at any tick, so the wait goes on.
    const std::string task = "no-such-task-" + std::to_string(getpid());
    toolkit.setText(Control::Text1, task);
    toolkit.setValue(Control::Option2, true);
    window.timer()->setInterval(0);  // ticks as fast as the event loop turns
    form.Command4_Click();           // "Start Looking"
    ASSERT_TRUE(toolkit.timerEnabled());

    int ticks = 0, largestWarmUp = 0, largest = 0;
    Usage before, after;
    std::uint32_t colourAtWarmUp = 0;
    std::string captionAtEnd;
    // Connected after the adapter's own slot, so it sees each tick done.
    QObject::connect(window.timer(), &QTimer::timeout, [&] {
        ++ticks;
        int& most = ticks <= kWarmUp ? largestWarmUp : largest;
        most = std::max(most, toolkit.listCount());
        if (ticks == kWarmUp) {
            colourAtWarmUp = toolkit.backColor(Control::Label3);
            before = measure(toolkit);
        } else if (ticks == kTicks) {
            captionAtEnd =
                static_cast<QLabel*>(window.widget(Control::Label3))->text().toStdString();
            after = measure(toolkit);
            QApplication::exit(0);
        }
    });
    const int status = QApplication::exec();

    std::cout << "ticks: " << ticks << ", list entries: up to " << largest << " (" << largestWarmUp
              << " at most in the first " << kWarmUp << ")\n"
              << "open descriptors after " << kWarmUp << ": " << before.fds << ", after " << kTicks
              << ": " << after.fds << "\n"
              << "resident KiB after " << kWarmUp << ": " << before.residentKiB << ", after "
              << kTicks << ": " << after.residentKiB << "\n"
              << "heap bytes in use after " << kWarmUp << ": " << before.heapBytes << ", after "
              << kTicks << ": " << after.heapBytes << std::endl;

    ASSERT_FALSE(toolkit.unloaded()) << "the watch ended after " << ticks << " ticks";
    EXPECT_EQ(status, 0);
    ASSERT_EQ(ticks, kTicks);
    EXPECT_EQ(form.TaskName(), task);
    EXPECT_EQ(captionAtEnd, "Not found.");
    // An even number of blinks later the colour is where it was.
    EXPECT_EQ(toolkit.backColor(Control::Label3), colourAtWarmUp);
    EXPECT_EQ(after.fds, before.fds);
    if (process_usage::underAddressSanitizer()) {
        std::cout << "memory not compared: AddressSanitizer keeps freed memory in quarantine; "
                     "LeakSanitizer checks for leaks at exit instead"
                  << std::endl;
        return;
    }
    const std::size_t extraEntries =
        largest > largestWarmUp ? static_cast<std::size_t>(largest - largestWarmUp) : 0;
    EXPECT_LE(after.residentKiB,
              before.residentKiB + kResidentSlackKiB + extraEntries * kResidentKiBPerExtraEntry);
    EXPECT_LE(after.heapBytes,
              before.heapBytes + kHeapSlackBytes + extraEntries * kHeapBytesPerExtraEntry);
}

}  // namespace
