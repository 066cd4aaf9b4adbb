#include "app/shared/adapter_toolkit.h"

#include <algorithm>
#include <cstdio>

#include "app/shared/app_info.h"
#include "app/shared/line_breaks.h"
#include "contract/runtime_error.h"

namespace {

// What differs between the platforms an adapter runs on.
struct Platform {
    const char* separators;  // what may stand between a folder and a file name
    const char* separator;   // what a built path puts there
    const char* extension;   // what a program's file name ends in, or empty
    CommandShell shell;
};
#ifdef _WIN32
constexpr Platform kPlatform{"\\/", "\\", ".exe", CommandShell::Cmd};
#else
constexpr Platform kPlatform{"/", "/", "", CommandShell::Posix};
#endif

std::size_t nameStart(const std::string& path) {
    const std::size_t cut = path.find_last_of(kPlatform.separators);
    return cut == std::string::npos ? 0 : cut + 1;
}

}  // namespace

AdapterToolkit::AdapterToolkit(std::string commandLine, bool argumentsGiven,
                               std::string programPath)
    : commandLine_(std::move(commandLine)),
      argumentsGiven_(argumentsGiven),
      programPath_(std::move(programPath)) {}

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

std::string AdapterToolkit::appFolder() {
    const std::string path = programPath();
    const std::size_t start = nameStart(path);
    return start == 0 ? std::string(".") : path.substr(0, start - 1);
}

std::string AdapterToolkit::dirSeparator() {
    return kPlatform.separator;
}

std::string AdapterToolkit::exeBaseName() {
    const std::string path = programPath();
    std::string name = path.substr(nameStart(path));
    const std::string extension = kPlatform.extension;
    if (!extension.empty() && name.size() > extension.size()) {
        std::string tail = name.substr(name.size() - extension.size());
        std::transform(tail.begin(), tail.end(), tail.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
        if (tail == extension) name.resize(name.size() - extension.size());
    }
    return name;
}

CommandShell AdapterToolkit::commandShell() {
    return kPlatform.shell;
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
