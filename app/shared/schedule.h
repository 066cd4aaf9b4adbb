#pragma once

#include <chrono>
#include <functional>
#include <optional>

// When Timer1's checks and the --timeout deadline come, for every adapter: the
// console loop, the Qt window and the Win32 window only ask wake() when to wake
// them next, and take() what is due then.
//
// The beat is the program's start plus whole intervals: the first check comes
// one interval after the start, a late check neither shifts the beat nor makes
// up for the checks a stall missed. A check due no later than the deadline runs
// before it (the wait may be over by then: --timeout=3 with a check at 3 s ends
// with 0). An early check (the awaited processes have ended) comes at once,
// without moving the beat.
class Schedule {
  public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    // now: the clock the schedule reads (the steady clock; tests give their own).
    explicit Schedule(std::function<TimePoint()> now = Clock::now);

    TimePoint now() const { return now_(); }
    // Reads another clock from now on, and counts from its present moment.
    void useClock(std::function<TimePoint()> now);

    // The moment the beat and the deadline count from: by default, when the
    // schedule was made.
    void startFrom(TimePoint started) { started_ = started; }

    // Timer1. An enabling at start-up counts from the start, any later one (the
    // user's Start Looking) starts a fresh interval. The interval takes effect
    // from the next enabling.
    bool enabled() const { return nextCheck_.has_value(); }
    void setEnabled(bool enabled);
    void setInterval(int milliseconds) { interval_ = milliseconds; }
    int interval() const { return interval_; }

    // Start-up is over (Form_Load has run).
    void endStartUp() { startingUp_ = false; }

    // The deadline, this long after the start.
    void setDeadline(int milliseconds);

    // A check now, ahead of the beat; nothing while Timer1 is off.
    void checkEarly();

    // Nothing is due any more: the program is ending.
    void stop();

    std::optional<TimePoint> nextCheck() const { return nextCheck_; }
    std::optional<TimePoint> deadline() const { return deadline_; }
    // When something is due next: a check, the deadline, or now for an early
    // check. Nothing when nothing ever will be.
    std::optional<TimePoint> wake() const;

    // What is due at now(), in this order. Taking a check moves the beat on.
    struct Due {
        bool check = false;
        bool timeOut = false;
    };
    Due take();

  private:
    std::function<TimePoint()> now_;
    TimePoint started_;
    int interval_;         // what the next enabling uses
    int runningInterval_;  // what the running beat uses
    bool startingUp_ = true;
    std::optional<TimePoint> nextCheck_;
    std::optional<TimePoint> earlyCheck_;  // when the early check was asked for
    std::optional<TimePoint> deadline_;
};
