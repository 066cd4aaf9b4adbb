#include "app/qt/quiet_messages.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace {

// Passes Qt's critical and fatal messages, formatted as Qt would, and drops the rest.
void dropChatter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtCriticalMsg && type != QtFatalMsg) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    std::fflush(stderr);
}

}  // namespace

void quietQtMessages() {
    for (const char* asked : {"QT_LOGGING_RULES", "QT_DEBUG_PLUGINS", "LINGERJOB_DEBUG"}) {
        if (std::getenv(asked) != nullptr) return;
    }
    qInstallMessageHandler(dropChatter);
}
