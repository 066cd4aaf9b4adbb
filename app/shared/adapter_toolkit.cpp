#include "app/shared/adapter_toolkit.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/shared/app_info.h"
#include "app/shared/terminal_text.h"
#include "contract/exit_status.h"
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

bool AdapterToolkit::timerEnabled() {
    return schedule_.enabled();
}

void AdapterToolkit::setTimerEnabled(bool enabled) {
    schedule_.setEnabled(enabled);
    rearm();
}

void AdapterToolkit::setTimerInterval(int milliseconds) {
    schedule_.setInterval(milliseconds);
}

// Start-up sets it: counted from the program's start, like the first check.
void AdapterToolkit::setDeadline(int milliseconds) {
    schedule_.setDeadline(milliseconds);
    rearm();
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

// What the user asked for must arrive: output that cannot be written (a full
// disk, a closed standard output) ends the program with the failure status, as
// with GNU tools.
void AdapterToolkit::showInformation(const std::string& text) {
    if (const int error = printLine(false, text)) {
        warn(std::string("write error: ") + std::strerror(error));
        unload(exit_status::kFailure);
    }
}

void AdapterToolkit::warn(const std::string& message) {
    printLine(true, "lingerjob: " + message);
}

void AdapterToolkit::warnOutOfMemory() noexcept {
    try {
        warn("out of memory");
    } catch (...) {
        std::fputs("lingerjob: out of memory\n", stderr);  // unbuffered: needs no memory
    }
}

int AdapterToolkit::printLine(bool toError, const std::string& text) {
    std::FILE* stream = toError ? stderr : stdout;
    errno = 0;
    writeForTerminal(text, [stream](std::string_view piece) {
        std::fwrite(piece.data(), 1, piece.size(), stream);
    });
    std::fputc('\n', stream);
    const bool failed = std::fflush(stream) != 0 || std::ferror(stream);
    const int error = errno;
    std::clearerr(stream);
    return failed ? (error != 0 ? error : EIO) : 0;
}

void AdapterToolkit::unload(int exitStatus) {
    if (unloaded_) return;
    unloaded_ = true;
    exitStatus_ = exitStatus;
    schedule_.stop();
    endProgram(exitStatus);
}
