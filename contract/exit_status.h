#pragma once

// How the program tells a calling script why it ended.
namespace exit_status {
constexpr int kWaitOver = 0;      // the wait is over, or the user closed the window
constexpr int kFailure = 1;       // a run-time error ended the program
constexpr int kBadArguments = 2;  // the command line was rejected
constexpr int kTimedOut = 124;    // --timeout ran out before the wait was over
}  // namespace exit_status
