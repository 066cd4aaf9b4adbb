// Any bytes as the program's argument text, through Form_Load: the result is
// either a watch start or the rejection, never a crash or an escaping exception.
// The same bytes as a task typed into Text1: the line "Make command line" builds
// for each shell, read back as that shell hands it on, starts the same mode and task.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "tests/fake_toolkit.h"
#include "ui/arguments.h"
#include "ui/form1.h"

namespace {

// What the argument text should give, worked out without the program's parser:
// the text between the first and second "/" must be an optional sign and digits
// worth -32768..32767 once the spaces around it are gone.
struct Expected {
    bool accepted = false;
    bool modeOne = false;
    std::string task;
};

bool blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

Expected expect(std::string_view raw) {
    Expected e;
    const std::size_t first = raw.find('/');
    if (first == std::string_view::npos) return e;
    const std::size_t second = raw.find('/', first + 1);
    if (second == std::string_view::npos) return e;
    const std::size_t third = raw.find('/', second + 1);

    std::string_view mode = trimmed(raw.substr(first + 1, second - first - 1));
    bool negative = false;
    if (!mode.empty() && (mode.front() == '+' || mode.front() == '-')) {
        negative = mode.front() == '-';
        mode.remove_prefix(1);
    }
    if (mode.empty()) return e;
    for (char c : mode) {
        if (c < '0' || c > '9') return e;
    }
    while (mode.size() > 1 && mode.front() == '0') mode.remove_prefix(1);
    // Compare as digit strings: no length limit, no overflow.
    const std::string_view limit = negative ? "32768" : "32767";
    if (mode.size() > limit.size() || (mode.size() == limit.size() && mode > limit)) return e;

    e.accepted = true;
    e.modeOne = !negative && mode == "1";
    const std::size_t end = third == std::string_view::npos ? raw.size() : third;
    e.task = std::string(trimmed(raw.substr(second + 1, end - second - 1)));
    return e;
}

// Whether a blank-separated word of the text is an option ("--..." or -h, -V).
bool hasOptionWord(std::string_view raw) {
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const std::size_t end = std::min(raw.find_first_of(" \t", pos), raw.size());
        const std::string_view word = raw.substr(pos, end - pos);
        if (word.substr(0, 2) == "--" || word == "-h" || word == "-V" || word == "-v") return true;
        pos = end + 1;
    }
    return false;
}

// The words sh makes of a line as the builder writes it: words parted by blanks,
// '...' taken literally, \x outside quotes standing for x. Any other character
// that sh reads outside quotes fails the property: the line would run something.
std::vector<std::string> shWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == ' ') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            FUZZ_CHECK(close != std::string_view::npos);
            word += line.substr(i + 1, close - i - 1);
            i = close;
        } else if (c == '\\') {
            FUZZ_CHECK(i + 1 < line.size());
            word += line[++i];
        } else {
            const auto u = static_cast<unsigned char>(c);
            FUZZ_CHECK(std::isalnum(u) ||
                       std::string_view("_./-+,:=@%").find(c) != std::string_view::npos);
            word += c;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

// The argument text cmd hands on from a line as the builder writes it in a batch
// file: the line after the program's word and one blank, %% read as %, quotes
// kept. A character that cmd reads outside quotes (& | < > ^, a lone %) or a line
// break fails the property.
std::string cmdArguments(std::string_view line) {
    std::size_t at = line[0] == '"' ? line.find('"', 1) + 1 : line.find(' ');
    FUZZ_CHECK(at > 0 && at < line.size() && line[at] == ' ');
    std::string text;
    bool quoted = false;
    for (std::size_t i = at + 1; i < line.size(); ++i) {
        const char c = line[i];
        FUZZ_CHECK(c != '\n' && c != '\r' && c != '\0');
        if (c == '"') quoted = !quoted;
        if (c == '%') {
            FUZZ_CHECK(i + 1 < line.size() && line[i + 1] == '%');
            ++i;
        }
        FUZZ_CHECK(quoted || std::string_view("&|<>^").find(c) == std::string_view::npos);
        text += c;
    }
    FUZZ_CHECK(!quoted);
    return text;
}

// Builds the line for the task in the given shell, reads it back through
// Form_Load as that shell would start the program, and checks the mode and the
// task: the task as typed, less what the shell cannot carry (cmd: double quotes,
// control characters), cut at its first "/" and trimmed of blanks.
void checkBuiltLine(CommandShell shell, const std::string& task, bool modeOne) {
    FakeToolkit builder;
    builder.shell = shell;
    builder.folder =
        shell == CommandShell::Posix ? "/opt/My Tools" : "C:\\Program Files\\Linger Job";
    builder.separator = shell == CommandShell::Posix ? "/" : "\\";
    builder.exeName = shell == CommandShell::Posix ? "lingerjob" : "Lingerjob";
    builder.text1 = task;
    builder.option1 = modeOne;
    ScriptedProcesses processes;
    Form1 form(builder, processes);
    form.Command5_Click();
    FUZZ_CHECK(builder.clipboard.has_value());
    const std::string line = *builder.clipboard;

    FakeToolkit started;
    started.shell = shell;
    started.option1 = !modeOne;
    if (shell == CommandShell::Posix) {
        const auto words = shWords(line);
        FUZZ_CHECK(words.size() >= 3 && words[0] == "/opt/My Tools/lingerjob");
        for (std::size_t i = 1; i < words.size(); ++i) {
            started.arguments += (i > 1 ? " " : "") + words[i];
        }
    } else {
        started.arguments = cmdArguments(line);
    }
    Form1 again(started, processes);
    again.Form_Load();

    std::string carried;
    for (const char c : task) {
        const auto u = static_cast<unsigned char>(c);
        if (shell == CommandShell::Cmd && c == '"') continue;
        carried += shell == CommandShell::Cmd && (u < 0x20 || u == 0x7F) ? '?' : c;
    }
    FUZZ_CHECK(started.timer && started.messages.empty() && started.information.empty());
    FUZZ_CHECK(started.option1 == modeOne);
    FUZZ_CHECK(started.text1 == trimmed(std::string_view(carried).substr(0, carried.find('/'))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    // A shell's argument cannot hold a NUL, nor can a typed task.
    if (raw.find('\0') == std::string::npos) {
        for (const CommandShell shell : {CommandShell::Posix, CommandShell::Cmd}) {
            checkBuiltLine(shell, raw, size % 2 == 1);
        }
    }

    FakeToolkit tk;
    tk.arguments = raw;
    tk.shell = CommandShell::Posix;  // the text as a POSIX shell hands it on, quotes kept
    ScriptedProcesses processes;
    processes.set({"Init", "SH"});
    Form1 form(tk, processes);
    try {
        form.Form_Load();
    } catch (...) {
        FUZZ_CHECK(!"an exception escaped Form_Load");
    }

    // Whatever the path, the run-time captions are set first.
    FUZZ_CHECK(tk.captions[Control::Command1] == "Update task list");
    FUZZ_CHECK(tk.captions[Control::Label1] == "Task List:");

    if (raw.empty()) {  // the interactive start
        FUZZ_CHECK(!tk.timer && tk.messages.empty() && tk.unloads.empty());
        FUZZ_CHECK(tk.captions[Control::Command4] == "Start Looking");
        FUZZ_CHECK(processes.calls == 1 && tk.entries.size() == 2);
        return 0;
    }
    if (hasOptionWord(raw)) {  // one of the ways out, and a rejection shows the text as given
        const bool rejected = !tk.messages.empty();
        FUZZ_CHECK(!rejected ||
                   tk.messages[0].rfind("your arguments are not right\r\n" + raw, 0) == 0);
        FUZZ_CHECK(tk.timer + rejected + !tk.information.empty() + (processes.calls == 1) == 1);
        return 0;
    }
    FUZZ_CHECK(processes.calls == 0);  // the list waits for the first tick

    const Expected expected = expect(raw);
    bool parsed = false;
    WatchRequest request{};
    try {
        request = parseWatchRequest(raw);
        parsed = true;
    } catch (...) {
    }
    FUZZ_CHECK(parsed == expected.accepted);

    if (expected.accepted) {  // a watch start
        FUZZ_CHECK(tk.timer && tk.timerStarts == 1);
        FUZZ_CHECK(tk.messages.empty() && tk.unloads.empty());
        FUZZ_CHECK(tk.value(Control::Option1) != tk.value(Control::Option2));
        FUZZ_CHECK(tk.option1 == expected.modeOne);
        FUZZ_CHECK(tk.option1 == (request.mode == 1));
        FUZZ_CHECK(tk.text1 == expected.task && tk.text1 == request.taskName);
        FUZZ_CHECK(tk.text1.find('/') == std::string::npos);
        FUZZ_CHECK(tk.text1.empty() || (!blank(tk.text1.front()) && !blank(tk.text1.back())));
        FUZZ_CHECK(tk.captions[Control::Command4] == "Stop Looking");
    } else {  // the rejection, with the text exactly as received
        FUZZ_CHECK(tk.messages.size() == 1);
        FUZZ_CHECK(tk.messages[0] == "your arguments are not right\r\n" + raw);
        FUZZ_CHECK(tk.unloads.size() == 1 && tk.unloads[0] == 2);
        FUZZ_CHECK(!tk.timer && tk.timerStarts == 0);
        // Nothing of the rejected text reached the controls.
        FUZZ_CHECK(tk.text1.empty() && tk.option1 == design::of(Control::Option1).value);
    }
    return 0;
}
