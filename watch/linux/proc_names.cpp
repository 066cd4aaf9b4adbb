#include "watch/linux/proc_names.h"

#include <array>

namespace proc_names {

namespace {

constexpr unsigned long kKernelThread = 0x00200000;  // PF_KTHREAD

// A decimal number that is the whole of text, or nothing.
std::optional<unsigned long long> decimal(std::string_view text) {
    if (text.empty()) return std::nullopt;
    unsigned long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > (~0ull - 9) / 10) return std::nullopt;
        value = value * 10 + static_cast<unsigned long long>(c - '0');
    }
    return value;
}

// The next field of text cut at sep, removed from text.
std::string_view nextField(std::string_view& text, char sep) {
    const std::size_t end = text.find(sep);
    const std::string_view field = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return field;
}

// The next word of text (cut at blanks and tabs), removed from text.
std::string_view nextWord(std::string_view& text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        text = {};
        return {};
    }
    text.remove_prefix(start);
    const std::size_t end = text.find_first_of(" \t");
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end);
    return word;
}

// The program env runs: the first of words that is no option or setting.
std::string_view envProgram(std::string_view words) {
    bool options = true;
    for (std::string_view word = nextWord(words); !word.empty(); word = nextWord(words)) {
        if (options && word == "--") {
            options = false;
        } else if (options && (word == "-u" || word == "-C" || word == "-a" || word == "--unset" ||
                               word == "--chdir" || word == "--argv0")) {
            nextWord(words);  // the option's value
        } else if (options && word.substr(0, 2) == "-S" && word.size() > 2) {
            return word.substr(2);  // "-Sbash": the split string starts with the program
        } else if (options && word.substr(0, 15) == "--split-string=") {
            return word.substr(15);
        } else if (options && word.front() == '-') {
            continue;  // -S, -i, -v, ... (the words after -S are split as the line is)
        } else if (word.find('=') == std::string_view::npos) {
            return word;
        }
    }
    return {};
}

}  // namespace

std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<StatFields> parseStat(std::string_view contents) {
    const std::size_t open = contents.find('(');
    const std::size_t close = contents.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    StatFields stat;
    stat.comm = contents.substr(open + 1, close - open - 1);
    std::string_view rest = contents.substr(close + 1);
    if (rest.size() < 3 || rest[0] != ' ' || rest[2] != ' ') return std::nullopt;
    stat.state = rest[1];
    rest.remove_prefix(3);
    // The fields after the state, numbered as proc(5) numbers them, from 4 (the
    // parent) to 22 (the start time). Signed ones may start with "-".
    std::array<std::string_view, 19> fields;
    for (auto& field : fields) {
        if (rest.empty()) return std::nullopt;
        field = nextField(rest, ' ');
    }
    const auto at = [&fields](int number) { return decimal(fields[number - 4]); };
    const auto parent = at(4), flags = at(9), threads = at(20), start = at(22);
    if (!parent || *parent > 0xFFFFFFFFull || !flags || !threads || !start) return std::nullopt;
    stat.parent = static_cast<unsigned long>(*parent);
    stat.flags = static_cast<unsigned long>(*flags);
    stat.threads = *threads;
    stat.startTime = *start;
    return stat;
}

bool runsProgram(const StatFields& stat) {
    if (stat.flags & kKernelThread) return false;
    const bool ended = stat.state == 'Z' || stat.state == 'X';
    return !ended || stat.threads > 1;
}

bool shortNameStarts(std::string_view comm, std::string_view file) {
    return file.substr(0, comm.size()) == comm;
}

std::string_view scriptFileName(std::string_view comm, std::string_view cmdline) {
    if (comm.empty()) return {};
    std::size_t start = cmdline.find('\0');  // skips argv[0]
    while (start != std::string_view::npos && start + 1 < cmdline.size()) {
        const std::size_t end = cmdline.find('\0', start + 1);
        const std::string_view argument = cmdline.substr(start + 1, end - start - 1);
        start = end;
        if (!argument.empty() && argument.front() == '-') continue;
        const std::string_view file = fileNameOf(argument);
        return file.substr(0, kShortNameBytes) == comm ? file : std::string_view();
    }
    return {};
}

std::string_view wholeName(std::string_view comm, std::string_view cmdline) {
    const std::string_view argv0 = cmdline.substr(0, cmdline.find('\0'));
    const std::string_view file = fileNameOf(argv0);
    if (shortNameStarts(comm, file)) return file;
    const std::string_view script = scriptFileName(comm, cmdline);
    return script.empty() ? comm : script;
}

std::optional<ScriptCall> scriptCall(std::string_view comm, std::string_view cmdline) {
    std::string_view arguments = cmdline;
    const std::string_view interpreter = fileNameOf(nextField(arguments, '\0'));
    if (comm.empty() || !shortNameStarts(comm, interpreter)) return std::nullopt;
    while (!arguments.empty()) {
        const std::string_view argument = nextField(arguments, '\0');
        if (argument.empty() || argument.front() == '-') continue;
        if (argument.find('/') != std::string_view::npos) return ScriptCall{interpreter, argument};
    }
    return std::nullopt;
}

std::string_view hashBangInterpreter(std::string_view head) {
    if (head.substr(0, 2) != "#!") return {};
    std::string_view line = head.substr(2, head.find('\n') - 2);
    const std::string_view program = fileNameOf(nextWord(line));
    return program == "env" ? fileNameOf(envProgram(line)) : program;
}

std::string_view processName(std::string_view comm, std::string_view cmdline,
                             std::string_view script) {
    if (!script.empty()) return script;
    return comm.size() < kShortNameBytes ? comm : wholeName(comm, cmdline);
}

}  // namespace proc_names
