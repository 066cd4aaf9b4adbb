#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/runtime_error.h"

// Cuts text at every occurrence of separator: n separators give n + 1 pieces,
// empty ones included.
std::vector<std::string> splitAll(std::string_view text, char separator);

// Removes spaces and tabs at both ends; those inside stay.
std::string trimBlanks(std::string_view text);

// Converts an optional sign followed by decimal digits to a 16-bit signed
// number. Throws RuntimeError for anything else or a value outside -32768..32767.
std::int16_t toInt16(std::string_view text);

// What a command line asks for: mode 1 waits while the task runs, any other
// number while it does not.
struct WatchRequest {
    std::int16_t mode;
    std::string taskName;
    // What follows the task after its "/", trimmed of blanks ("x/sleeper" of
    // "/1 /tmp/x/sleeper"): not looked for. Empty as a rule.
    std::string ignored;
};

// Reads " /mode /task" as written by the command-line builder: pieces cut at
// every "/", piece 1 the mode and piece 2 the task name, both trimmed of blanks.
// Throws RuntimeError when the text is not of that form.
WatchRequest parseWatchRequest(std::string_view raw);

// What the options of a command line ask for. Options are the words (runs of
// characters between blanks) that begin with "--", and the lone words "-h", "-V" and "-v",
// up to the first word that is "--" alone: that word ends the options, and no word
// after it is one, so a task may hold any word.
struct Options {
    bool given = false;  // at least one option was there
    bool help = false;
    bool version = false;
    bool verbose = false;           // --verbose, -v: what the watch sees, on standard error
    std::optional<int> timeoutMs;   // --timeout=SECONDS
    std::optional<int> intervalMs;  // --interval=SECONDS
    bool exact = false;             // --exact: the whole name (or command line) is the task
    bool full = false;              // --full: the task is sought in the command line
    bool noWindow = false;          // --no-window: run as without a display
};

// An unknown option or a bad option value; what() says which, for the user.
class OptionError : public RuntimeError {
  public:
    using RuntimeError::RuntimeError;
};

// The argument text split into its options and the rest, " /mode /task" as a rule.
struct SplitArguments {
    Options options;
    std::string rest;  // the text with each option word and one blank beside it taken out
};

// Takes the options and the end-of-options word "--" out of the text; a later
// option overrides an earlier one. Throws OptionError for a word before the end
// of the options that begins with "--" and is no option, or for a bad value.
SplitArguments takeOptions(std::string_view text);

// Whether takeOptions would take a word of the text as an option or as the end
// of the options.
bool holdsOptionWord(std::string_view text);

// The options of the text as takeOptions reads them, or nothing when it would
// reject them: what decides, before start-up, which program runs a start.
std::optional<Options> optionsOf(std::string_view text);

// The words that put the matching options into a command line (" --exact",
// " --full", both or none), each with a blank in front.
std::string matchingOptionWords(bool exact, bool full);

// The line a rejection on standard error ends with: the form expected, and
// where to read more.
std::string expectedForm();

// The text without its double quotes. cmd hands quotes on to the program, and no
// Windows file name can hold one.
std::string withoutQuotes(std::string_view text);
