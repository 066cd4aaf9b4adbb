#pragma once

#include "app/shared/form_host.h"

class QtForm;
class QtToolkit;

// Connects the Qt window's events to Form1's handlers (see FormHost).
class QtApp : public FormHost {
  public:
    QtApp(Form1& form, QtForm& window, QtToolkit& toolkit);

    // Runs Form_Load; then shows the window unless start-up unloaded it.
    // Returns false when the program is to end without an event loop.
    bool start();

  private:
    QtForm& window_;
};
