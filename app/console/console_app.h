#pragma once

#include <functional>
#include <string>

#include "app/shared/form_host.h"
#include "watch/process_end_watch.h"

class ConsoleToolkit;

// Runs Form1 without a window: Form_Load, then the watch's checks on the
// toolkit's schedule, sleeping in between, until the form is unloaded or the
// deadline comes. It sleeps on the end watch, so a check also comes as soon as
// the processes the wait awaits have all ended.
class ConsoleApp : public FormHost {
  public:
    // ends: where the ends of the awaited processes are watched, and the sleeps
    // are slept; none: plain sleeps, the beat alone.
    ConsoleApp(Form1& form, ConsoleToolkit& toolkit, ProcessEndWatch* ends = nullptr);

    // Runs Form_Load. Returns false when the program is to end at once: start-up
    // unloaded the form, or it started no watch, which without a window nobody
    // could ever start. Going on, it warns what note() says (see FormHost::goOn).
    bool start(const std::function<std::string()>& note = {});

    // Raises the checks until the program ends; returns its exit status.
    int run();

  private:
    ConsoleToolkit& toolkit_;
    NoEndWatch beatAlone_;
    ProcessEndWatch& ends_;
};
