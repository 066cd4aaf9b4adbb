#pragma once

#include <functional>
#include <string>

#include "app/shared/form_host.h"

class ConsoleToolkit;

// Runs Form1 without a window: Form_Load, then the watch's ticks one interval
// apart, sleeping in between, until the form is unloaded or the deadline comes.
class ConsoleApp : public FormHost {
  public:
    ConsoleApp(Form1& form, ConsoleToolkit& toolkit);

    // Runs Form_Load. Returns false when the program is to end at once: start-up
    // unloaded the form, or it started no watch, which without a window nobody
    // could ever start. Going on, it warns what note() says (see FormHost::goOn).
    bool start(const std::function<std::string()>& note = {});

    // Raises the ticks until the program ends; returns its exit status.
    int run();

  private:
    ConsoleToolkit& toolkit_;
};
