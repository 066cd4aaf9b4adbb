#include "app/shared/schedule.h"

#include <algorithm>

#include "contract/design.h"

namespace {

// The first point of the beat due + k intervals (k >= 1) that lies after now:
// checks missed in a stall are skipped, and the beat keeps its phase. A beat of
// no interval comes as often as it is asked.
Schedule::TimePoint nextOnBeat(Schedule::TimePoint due, int intervalMs, Schedule::TimePoint now) {
    const std::chrono::milliseconds interval(intervalMs);
    if (interval.count() <= 0) return now;
    auto next = due + interval;
    if (next <= now) next += ((now - next) / interval + 1) * interval;
    return next;
}

}  // namespace

Schedule::Schedule(std::function<TimePoint()> now)
    : now_(std::move(now)),
      started_(now_()),
      interval_(design::kTimerIntervalMs),
      runningInterval_(design::kTimerIntervalMs) {}

void Schedule::useClock(std::function<TimePoint()> now) {
    now_ = std::move(now);
    started_ = now_();
}

void Schedule::setEnabled(bool enabled) {
    earlyCheck_.reset();
    if (!enabled) {
        nextCheck_.reset();
        return;
    }
    runningInterval_ = interval_;
    const auto now = now_();
    nextCheck_ = nextOnBeat(startingUp_ ? started_ : now, runningInterval_, now);
}

void Schedule::setDeadline(int milliseconds) {
    deadline_ = started_ + std::chrono::milliseconds(milliseconds);
}

void Schedule::checkEarly() {
    if (nextCheck_ && !earlyCheck_) earlyCheck_ = now_();
}

void Schedule::stop() {
    nextCheck_.reset();
    earlyCheck_.reset();
    deadline_.reset();
}

std::optional<Schedule::TimePoint> Schedule::wake() const {
    std::optional<TimePoint> wake = earlyCheck_ ? earlyCheck_ : nextCheck_;
    if (earlyCheck_ && nextCheck_) wake = std::min(*earlyCheck_, *nextCheck_);
    if (deadline_) wake = wake ? std::min(*wake, *deadline_) : *deadline_;
    return wake;
}

Schedule::Due Schedule::take() {
    const auto now = now_();
    Due due;
    if (nextCheck_) {
        const bool beat = now >= *nextCheck_ && (!deadline_ || *nextCheck_ <= *deadline_);
        const bool early = earlyCheck_ && (!deadline_ || *earlyCheck_ <= *deadline_);
        if (beat) nextCheck_ = nextOnBeat(*nextCheck_, runningInterval_, now);
        if (beat || early) earlyCheck_.reset();
        due.check = beat || early;
    }
    due.timeOut = deadline_ && now >= *deadline_;
    if (due.timeOut) deadline_.reset();
    return due;
}
