#include "app/shared/adapter_toolkit.h"

#include <cstdio>

#include "app/shared/app_info.h"
#include "app/shared/line_breaks.h"
#include "contract/runtime_error.h"

AdapterToolkit::AdapterToolkit(std::string commandLine, bool argumentsGiven)
    : commandLine_(std::move(commandLine)), argumentsGiven_(argumentsGiven) {}

void AdapterToolkit::requireKind(Control control, std::initializer_list<design::Kind> kinds) {
    if (control != Control::Form1) {
        for (const design::Kind kind : kinds) {
            if (design::of(control).kind == kind) return;
        }
    }
    throw RuntimeError("this control does not have that property");
}

std::uint32_t AdapterToolkit::backColor(Control control) {
    if (control != role::kStatusLabel) throw RuntimeError("only Label3's back colour is kept");
    return statusColor_;
}

void AdapterToolkit::setBackColor(Control control, std::uint32_t color) {
    if (control != role::kStatusLabel) throw RuntimeError("only Label3's back colour is kept");
    paintStatusColor(color);
    statusColor_ = color;
}

AppVersion AdapterToolkit::version() {
    return app_info::kVersion;
}

std::string AdapterToolkit::commandLine() {
    return commandLine_;
}

bool AdapterToolkit::argumentsGiven() {
    return argumentsGiven_;
}

void AdapterToolkit::showInformation(const std::string& text) {
    printLine(false, text);
}

void AdapterToolkit::warn(const std::string& message) {
    printLine(true, "lingerjob: " + message);
}

void AdapterToolkit::printLine(bool toError, const std::string& text) {
    std::FILE* stream = toError ? stderr : stdout;
    const std::string line = withUnixLineBreaks(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

void AdapterToolkit::unload(int exitStatus) {
    if (unloaded_) return;
    unloaded_ = true;
    exitStatus_ = exitStatus;
    endProgram(exitStatus);
}
