#pragma once

#include <string>

#include "contract/toolkit.h"

// The text of the "Usage" box.
std::string usageText();

// The text of the "About..." box for the given version numbers.
std::string aboutText(const AppVersion& version);
