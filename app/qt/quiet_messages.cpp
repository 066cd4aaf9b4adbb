#include "app/qt/quiet_messages.h"

#include <QtGlobal>
#include <cstdlib>

namespace {

QtMessageHandler g_qtHandler = nullptr;  // Qt's own, which prints what passes

void dropChatter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if ((type == QtCriticalMsg || type == QtFatalMsg) && g_qtHandler) {
        g_qtHandler(type, context, message);
    }
}

}  // namespace

void quietQtMessages() {
    for (const char* asked : {"QT_LOGGING_RULES", "QT_DEBUG_PLUGINS", "LINGERJOB_DEBUG"}) {
        if (std::getenv(asked) != nullptr) return;
    }
    g_qtHandler = qInstallMessageHandler(dropChatter);
}
