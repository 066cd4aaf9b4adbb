#pragma once

// Chooses Qt's platform before QApplication exists: unless the user chose one,
// the desktop's display (Wayland or X11) and, when none can be opened, the
// offscreen platform, so a program started without a screen never aborts. A
// Wayland display is tried only when its compositor answers. Also names the
// desktop file, lingerjob.desktop, that the window belongs to.
void preferDesktopThenOffscreen();

// Whether Qt ended up on a platform that shows nothing to anybody.
bool runningWithoutDisplay();

// Ends the program whose display has gone with the failure status, without
// telling the launcher: the wait goes on there.
[[noreturn]] void endForLostDisplay();

// Once QApplication exists: a display that goes away while Xlib (which Qt's X11
// platform also uses) reads from it ends the program with the failure status,
// as Qt's own X11 connection does, without Xlib's "XIO: fatal IO error" lines.
void quietLostX11Display();
