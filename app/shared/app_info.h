#pragma once

#include "contract/toolkit.h"

// What the application says about itself.
namespace app_info {
constexpr const char* kTitle = "Lingerjob";
constexpr AppVersion kVersion{1, 0, 0};
}  // namespace app_info
