// The watch as the program runs it, through the Qt adapter on the offscreen
// platform: thousands of ticks from the window's own timer, each reading the real
// /proc and refilling the list, must not grow descriptors or memory.
//
// What it looks for is a trend: after a warm-up the ticks are cut into stretches,
// and a leak grows the figures in every stretch. What the machine does meanwhile
// grows them once: a name with new glyphs makes Qt load a font (a descriptor, a
// hundred KiB), a longer list than ever before makes the view reserve more. So a
// figure may grow in a third of the stretches at most.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "app/qt/qt_app.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "tests/stress/process_usage.h"
#include "ui/form1.h"
#include "watch/linux/proc_enumerator.h"

namespace {

constexpr int kWarmUp = 500;  // Qt's caches (glyphs, pixmaps, style) settle
constexpr int kStretchTicks = 250;
constexpr int kStretches = 38;
constexpr int kTicks = kWarmUp + kStretches * kStretchTicks;
constexpr int kMostGrowingStretches = kStretches / 3;
// How much a stretch may add without counting as growth: allocator and resident
// page noise, and what a list with more entries than ever before needs, with what
// the enumerator keeps of each process between snapshots. One small allocation a
// tick (16 bytes and more) adds over 4 KiB to every stretch.
constexpr std::size_t kHeapSlackBytes = 4 * 1024;
constexpr std::size_t kHeapBytesPerNewEntry = 96 + 2 * sizeof(proc_process::Known);
constexpr std::size_t kResidentSlackKiB = 128;
constexpr std::size_t kResidentKiBPerNewEntry = 1;

using process_usage::Usage;

// One figure over the stretches: in how many it grew by more than the slack.
struct Trend {
    const char* name;
    std::size_t first = 0, last = 0, largestStep = 0;
    int growing = 0;

    void add(std::size_t before, std::size_t after, std::size_t slack) {
        last = after;
        const std::size_t step = after > before ? after - before : 0;
        largestStep = std::max(largestStep, step);
        if (step > slack) ++growing;
    }
    void print() const {
        std::cout << name << ": " << first << " after the warm-up, " << last
                  << " at the end; grew in " << growing << " of " << kStretches
                  << " stretches (largest step " << largestStep << ")\n";
    }
};

TEST(QtSoak, AWatchThatKeepsWaitingGrowsNeitherDescriptorsNorMemoryFromStretchToStretch) {
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
    toolkit.setTimerInterval(0);  // ticks as fast as the event loop turns
    form.Command4_Click();        // "Start Looking"
    ASSERT_TRUE(toolkit.timerEnabled());

    int ticks = 0, largest = 0, largestBefore = 0;
    Usage before;
    Trend fds{"open descriptors"}, heap{"heap bytes in use"}, resident{"resident KiB"};
    std::uint32_t colourAtWarmUp = 0;
    std::string captionAtEnd;
    // Connected after the adapter's own slot, so it sees each tick done.
    QObject::connect(window.timer(), &QTimer::timeout, [&] {
        ++ticks;
        largest = std::max(largest, toolkit.listCount());
        if (ticks < kWarmUp || (ticks - kWarmUp) % kStretchTicks != 0) return;
        if (ticks == kTicks) {
            captionAtEnd =
                static_cast<QLabel*>(window.widget(Control::Label3))->text().toStdString();
        }
        // Measured with the list emptied (the next tick refills it), so the heap
        // holds nothing that depends on how many processes happen to run.
        toolkit.listClear();
        const Usage now = process_usage::now();
        if (ticks == kWarmUp) {
            colourAtWarmUp = toolkit.backColor(Control::Label3);
            fds.first = now.fds;
            heap.first = now.heapBytes;
            resident.first = now.residentKiB;
        } else {
            const auto newEntries = static_cast<std::size_t>(largest - largestBefore);
            fds.add(before.fds, now.fds, 0);
            heap.add(before.heapBytes, now.heapBytes,
                     kHeapSlackBytes + newEntries * kHeapBytesPerNewEntry);
            resident.add(before.residentKiB, now.residentKiB,
                         kResidentSlackKiB + newEntries * kResidentKiBPerNewEntry);
        }
        before = now;
        largestBefore = largest;
        if (ticks == kTicks) QApplication::exit(0);
    });
    const int status = QApplication::exec();

    std::cout << "ticks: " << ticks << ", list entries: up to " << largest << "\n";
    for (const Trend* trend : {&fds, &heap, &resident}) trend->print();

    ASSERT_FALSE(toolkit.unloaded()) << "the watch ended after " << ticks << " ticks";
    EXPECT_EQ(status, 0);
    ASSERT_EQ(ticks, kTicks);
    EXPECT_EQ(form.TaskName(), task);
    EXPECT_EQ(captionAtEnd, "Not found.");
    // An even number of blinks later the colour is where it was.
    EXPECT_EQ(toolkit.backColor(Control::Label3), colourAtWarmUp);
    EXPECT_LE(fds.growing, kMostGrowingStretches);
    if (process_usage::underAddressSanitizer()) {
        std::cout << "memory not compared: AddressSanitizer keeps freed memory in quarantine; "
                     "LeakSanitizer checks for leaks at exit instead"
                  << std::endl;
        return;
    }
    EXPECT_LE(heap.growing, kMostGrowingStretches);
    EXPECT_LE(resident.growing, kMostGrowingStretches);
}

}  // namespace
