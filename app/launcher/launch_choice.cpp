#include "app/launcher/launch_choice.h"

#include "ui/arguments.h"

namespace {

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

}  // namespace

Launch chooseLaunch(const char* display, const char* waylandDisplay, std::string_view arguments) {
    if (!isSet(display) && !isSet(waylandDisplay)) return Launch::Console;
    const auto options = optionsOf(arguments);
    if (options && (options->help || options->version || options->noWindow)) {
        return Launch::Console;
    }
    return Launch::Window;
}
