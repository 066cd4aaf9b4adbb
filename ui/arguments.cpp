#include "ui/arguments.h"

#include <algorithm>
#include <climits>
#include <limits>

#include "contract/runtime_error.h"

std::vector<std::string> splitAll(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::string trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::int16_t toInt16(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) throw RuntimeError("type mismatch: not a number");
    long value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') throw RuntimeError("type mismatch: not a number");
        value = value * 10 + (c - '0');
        if (value > 32768) throw RuntimeError("overflow");
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        throw RuntimeError("overflow");
    }
    return static_cast<std::int16_t>(value);
}

WatchRequest parseWatchRequest(std::string_view raw) {
    const auto pieces = splitAll(raw, '/');
    if (pieces.size() < 3) throw RuntimeError("fewer than two \"/\" in the arguments");
    const std::size_t afterTask = pieces[0].size() + pieces[1].size() + pieces[2].size() + 3;
    const std::string ignored = afterTask < raw.size() ? trimBlanks(raw.substr(afterTask)) : "";
    return WatchRequest{toInt16(trimBlanks(pieces[1])), trimBlanks(pieces[2]), ignored};
}

namespace {

constexpr int kShortestIntervalMs = 100;
constexpr int kLongestIntervalMs = 3600 * 1000;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr std::string_view kEndOfOptions = "--";

// Includes the end-of-options word "--".
bool isOptionWord(std::string_view word) {
    return word.substr(0, 2) == "--" || word == "-h" || word == "-V" || word == "-v";
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Seconds written as decimal digits with an optional fraction ("90", "1.5", ".25"),
// in whole milliseconds: a finer fraction is cut off, but a time above 0 is at
// least 1 ms ("0.0001"). Nothing for any other text or for more than INT_MAX
// milliseconds, the longest time a toolkit timer takes.
std::optional<int> toMilliseconds(std::string_view text) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction)) {
        return std::nullopt;
    }
    long long ms = 0;
    for (const char c : whole) {
        ms = ms * 10 + (c - '0');
        if (ms > INT_MAX / 1000 + 1) return std::nullopt;
    }
    ms *= 1000;
    int scale = 100;
    for (std::size_t i = 0; i < fraction.size() && i < 3; ++i, scale /= 10) {
        ms += (fraction[i] - '0') * scale;
    }
    if (ms > INT_MAX) return std::nullopt;
    if (ms == 0 && fraction.find_first_not_of('0') != std::string_view::npos) ms = 1;
    return static_cast<int>(ms);
}

// The value of "--name=VALUE", or nothing when the word is no such option.
std::optional<std::string_view> valueOf(std::string_view word, std::string_view name) {
    if (word.substr(0, name.size()) != name) return std::nullopt;
    if (word.size() == name.size()) return std::string_view();  // "--timeout" without a value
    if (word[name.size()] != '=') return std::nullopt;          // another word, e.g. --timeouts
    return word.substr(name.size() + 1);
}

void applyOption(std::string_view word, Options& options) {
    const std::string see = " (see --help)";
    options.given = true;
    if (word == "--help" || word == "-h") {
        options.help = true;
    } else if (word == "--version" || word == "-V") {
        options.version = true;
    } else if (word == "--verbose" || word == "-v") {
        options.verbose = true;
    } else if (const auto timeout = valueOf(word, "--timeout")) {
        const auto ms = toMilliseconds(*timeout);
        if (!ms || *ms < 1) {
            throw OptionError("bad value in " + std::string(word) +
                              ": give a number of seconds above 0, e.g. --timeout=90" + see);
        }
        options.timeoutMs = *ms;
    } else if (const auto interval = valueOf(word, "--interval")) {
        const auto ms = toMilliseconds(*interval);
        if (!ms || *ms < kShortestIntervalMs || *ms > kLongestIntervalMs) {
            throw OptionError("bad value in " + std::string(word) +
                              ": give a number of seconds from 0.1 to 3600, e.g. --interval=0.5" +
                              see);
        }
        options.intervalMs = *ms;
    } else if (word == "--exact") {
        options.exact = true;
    } else if (word == "--full") {
        options.full = true;
    } else if (word == "--no-window") {
        options.noWindow = true;
    } else {
        throw OptionError("unknown option " + std::string(word) + see);
    }
}

}  // namespace

SplitArguments takeOptions(std::string_view text) {
    SplitArguments split{Options{}, std::string(text)};
    std::string& rest = split.rest;
    std::size_t pos = 0;
    bool ended = false;  // the word "--" came: no more options
    while (pos < rest.size() && !ended) {
        if (isBlank(rest[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < rest.size() && !isBlank(rest[end])) ++end;
        const std::string word = rest.substr(pos, end - pos);
        if (!isOptionWord(word)) {
            pos = end;
            continue;
        }
        if (word == kEndOfOptions) {
            ended = true;
        } else {
            applyOption(word, split.options);
        }
        // The word goes with the blank before it, or else the one after it, so
        // that "/1 /my --interval=1 task" keeps the task "my task".
        if (pos > 0) {
            --pos;
        } else if (end < rest.size()) {
            ++end;
        }
        rest.erase(pos, end - pos);
    }
    return split;
}

bool holdsOptionWord(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && !isBlank(text[end])) ++end;
        if (end > pos && isOptionWord(text.substr(pos, end - pos))) return true;
        pos = end + 1;
    }
    return false;
}

std::optional<Options> optionsOf(std::string_view text) {
    try {
        return takeOptions(text).options;
    } catch (const OptionError&) {
        return std::nullopt;
    }
}

std::string matchingOptionWords(bool exact, bool full) {
    return std::string(exact ? " --exact" : "") + (full ? " --full" : "");
}

std::string expectedForm() {
    return "usage: lingerjob [OPTION]... /MODE /TASK, e.g. lingerjob /1 /firefox; "
           "see lingerjob --help";
}

std::string withoutQuotes(std::string_view text) {
    std::string unquoted;
    for (const char c : text) {
        if (c != '"') unquoted += c;
    }
    return unquoted;
}
