#include "app/shared/report_escaped_error.h"

#include <exception>
#include <string>

#include "contract/exit_status.h"
#include "contract/toolkit.h"

void runReportingErrors(Toolkit& toolkit, const std::function<void()>& handler) {
    std::string error;
    try {
        handler();
        return;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown error";
    }
    try {
        toolkit.warn("run-time error: " + error);
        toolkit.messageBox("Run-time error:\r\n" + error);
    } catch (...) {
        // The report itself failed; the program ends all the same.
    }
    toolkit.unload(exit_status::kFailure);
}
