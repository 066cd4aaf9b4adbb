// Any bytes as the program's argument text, through Form_Load: the result is
// either a watch start or the rejection, never a crash or an escaping exception.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);

    FakeToolkit tk;
    tk.arguments = raw;
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
    FUZZ_CHECK(processes.calls == 0);  // the list waits for the first tick

    // The fake toolkit's shell is cmd, which hands on the double quotes of a
    // quoted word: start-up drops them before it cuts the text.
    std::string unquoted = raw;
    unquoted.erase(std::remove(unquoted.begin(), unquoted.end(), '"'), unquoted.end());
    const Expected expected = expect(unquoted);
    bool parsed = false;
    WatchRequest request{};
    try {
        request = parseWatchRequest(unquoted);
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
        FUZZ_CHECK(tk.text1.empty() || (tk.text1.front() != ' ' && tk.text1.back() != ' '));
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
