#pragma once

#include <string>

#include "contract/toolkit.h"

// The text of the "Usage" box.
std::string usageText();

// The text of the "About..." box for the given version numbers.
std::string aboutText(const AppVersion& version);

// The text of --help: synopsis, modes, matching rule, options, exit statuses,
// examples. For a POSIX shell it is laid out for an 80-column terminal; for cmd
// (shown in a message box) its paragraphs are single lines and its examples are
// batch lines.
std::string helpText(CommandShell shell);

// The text of --version, e.g. "lingerjob 1.0.0".
std::string versionText(const AppVersion& version);
