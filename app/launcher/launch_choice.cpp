#include "app/launcher/launch_choice.h"

namespace {

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

}  // namespace

Launch chooseLaunch(const char* display, const char* waylandDisplay,
                    const std::vector<std::string_view>& words) {
    if (!isSet(display) && !isSet(waylandDisplay)) return Launch::Console;
    for (const std::string_view word : words) {
        if (word == "--") break;  // what follows is the task's, not an option
        if (word == "--help" || word == "-h" || word == "--version" || word == "-V") {
            return Launch::Console;
        }
    }
    return Launch::Window;
}
