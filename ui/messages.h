#pragma once

#include <string>

#include "contract/toolkit.h"

// The text of the "Usage" box.
std::string usageText();

// The text of the "About..." box for the given version numbers.
std::string aboutText(const AppVersion& version);

// The text of --help: synopsis, modes, matching rule, options, exit statuses,
// examples. inColumns: laid out for an 80-column terminal, with examples for the
// shell; otherwise for a message box (Windows), its paragraphs single lines and
// its examples batch lines.
std::string helpText(CommandShell shell, bool inColumns);

// The text of --version, e.g. "lingerjob 1.0.0".
std::string versionText(const AppVersion& version);
