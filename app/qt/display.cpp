#include "app/qt/display.h"

#include <QGuiApplication>
#include <cstdlib>

void preferDesktopThenOffscreen() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        const bool wayland = std::getenv("WAYLAND_DISPLAY") != nullptr;
        setenv("QT_QPA_PLATFORM", wayland ? "wayland;xcb;offscreen" : "xcb;offscreen", 1);
        // Falling back is expected here, not worth Qt's warnings.
        if (std::getenv("QT_LOGGING_RULES") == nullptr) {
            setenv("QT_LOGGING_RULES", "qt.qpa.*=false", 1);
        }
    }
}

bool runningWithoutDisplay() {
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}
