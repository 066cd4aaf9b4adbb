#include "app/qt/quiet_messages.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

#include "app/launcher/status_pipe.h"
#include "contract/exit_status.h"

namespace {

// A fatal message from Qt would end the program with SIGABRT (status 134): a
// run-time error ends it with the failure status instead.
[[noreturn]] void endWithFailure() {
    std::fflush(stderr);
    std::_Exit(status_pipe::tellLauncher(exit_status::kFailure));
}

// Passes Qt's critical messages, formatted as Qt would, and drops the notes and
// warnings. A fatal one becomes one line: a platform that cannot start (such as
// QT_QPA_PLATFORM=xcb on a display that has gone) in our words, which name the
// setting, and any other as the first line of Qt's text.
void dropChatter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        if (message.contains("no Qt platform plugin could be initialized")) {
            const char* platform = std::getenv("QT_QPA_PLATFORM");
            std::fprintf(stderr,
                         "lingerjob: Qt's platform %s (QT_QPA_PLATFORM) could not be started\n",
                         platform ? platform : "");
        } else {
            std::fprintf(stderr, "lingerjob: %s\n", qPrintable(message.section('\n', 0, 0)));
        }
        endWithFailure();
    }
    if (type != QtCriticalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    std::fflush(stderr);
}

// Whoever asked for Qt's messages gets every one, a fatal one whole, and still
// the failure status.
void passAll(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    std::fflush(stderr);
    if (type == QtFatalMsg) endWithFailure();
}

}  // namespace

void quietQtMessages() {
    for (const char* asked : {"QT_LOGGING_RULES", "QT_DEBUG_PLUGINS", "LINGERJOB_DEBUG"}) {
        if (std::getenv(asked) != nullptr) {
            qInstallMessageHandler(passAll);
            return;
        }
    }
    qInstallMessageHandler(dropChatter);
}
