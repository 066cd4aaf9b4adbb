#pragma once

// Keeps Qt's own notes and warnings off standard error ("QStandardPaths:
// XDG_RUNTIME_DIR not set", platform plugin notes): a script that runs a wait
// sees nothing there unless something is wrong. Qt's critical messages still
// appear, and a fatal one as one line. Nothing is filtered when QT_LOGGING_RULES,
// QT_DEBUG_PLUGINS or LINGERJOB_DEBUG is set, so whoever asks for Qt's messages
// gets them. Either way a fatal message ends the program with status 1, not
// with SIGABRT.
// Call before anything else reads or sets those variables.
void quietQtMessages();
