#include "app/qt/display.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <string>

#include "contract/exit_status.h"

namespace {

// Whether a Wayland compositor answers on the socket WAYLAND_DISPLAY names (a
// name in XDG_RUNTIME_DIR, or a path), as libwayland would look for it. Asking
// first keeps Qt from trying a compositor that has gone, and from the lines
// Qt and libwayland print when it does.
bool waylandCompositorAnswers() {
    if (std::getenv("WAYLAND_SOCKET") != nullptr) return true;  // a connection handed to us
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || *name == '\0') return false;
    std::string path = name;
    if (path[0] != '/') {
        const char* folder = std::getenv("XDG_RUNTIME_DIR");
        if (folder == nullptr || *folder == '\0') return false;
        path = std::string(folder) + "/" + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return false;
    const bool answers =
        connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(socket);
    return answers;
}

}  // namespace

void preferDesktopThenOffscreen() {
    // The Wayland app_id, which docks and task bars match with lingerjob.desktop
    // for the window's icon and name.
    QGuiApplication::setDesktopFileName("lingerjob");
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM",
               waylandCompositorAnswers() ? "wayland;xcb;offscreen" : "xcb;offscreen", 1);
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

void endForLostDisplay() {
    // Untold on the status pipe, as Qt's own X11 connection ends the program, so
    // that the launcher goes on without a window instead of ending with a failure.
    std::_Exit(exit_status::kFailure);
}

void quietLostX11Display() {
    // Xlib is already loaded by Qt's X11 platform when it is in use; looked up,
    // not linked, so that the program does not need it on other platforms.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (xlib == nullptr) return;
    using Handler = int (*)(void*);
    using SetHandler = Handler (*)(Handler);
    const auto setHandler = reinterpret_cast<SetHandler>(dlsym(xlib, "XSetIOErrorHandler"));
    if (setHandler != nullptr) {
        setHandler([](void*) -> int { endForLostDisplay(); });
    }
    dlclose(xlib);  // still loaded: Qt holds it
}
