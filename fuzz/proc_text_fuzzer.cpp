// What /proc files may hold, through the helpers that turn it into a process
// name and the lower-casing that makes it a list entry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "fuzz/utf8_check.h"
#include "watch/linux/proc_mounts.h"
#include "watch/linux/proc_names.h"
#include "watch/linux/proc_visibility.h"
#include "watch/lower_case.h"

namespace {

// Whether part is a view into whole (not a copy and not elsewhere).
bool within(std::string_view part, std::string_view whole) {
    if (part.empty()) return true;
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

void checkStat(std::string_view contents, std::string_view name, std::string_view tail) {
    // The name found is the text between the first "(" and the last ")".
    if (const auto stat = proc_names::parseStat(contents)) {
        const std::size_t open = contents.find('(');
        const std::size_t close = contents.rfind(')');
        FUZZ_CHECK(open != std::string_view::npos && close != std::string_view::npos);
        FUZZ_CHECK(stat->comm.data() == contents.data() + open + 1);
        FUZZ_CHECK(stat->comm.size() == close - open - 1);
    }

    // A well-formed stat line gives back any name, spaces and parentheses
    // included, as long as the fields after the name hold no ")".
    if (tail.find(')') == std::string_view::npos) {
        const std::string fields = "4242 (" + std::string(name) +
                                   ") S 1 2 3 0 -1 4194560 10 0 5 0 1 1 0 0 20 0 3 0 77 " +
                                   std::string(tail);
        const auto stat = proc_names::parseStat(fields);
        FUZZ_CHECK(stat && stat->comm == name && stat->parent == 1 && stat->threads == 3 &&
                   stat->startTime == 77 && stat->state == 'S');
    }
}

// A script call: argv[0]'s file name, which the short name starts, and a path with
// a "/" from among the later arguments, both within the command line.
void checkScriptCall(std::string_view comm, std::string_view cmdline) {
    const auto call = proc_names::scriptCall(comm, cmdline);
    if (!call) return;
    const std::string_view argv0 = cmdline.substr(0, cmdline.find('\0'));
    FUZZ_CHECK(within(call->interpreter, argv0));
    FUZZ_CHECK(call->interpreter.data() + call->interpreter.size() == argv0.data() + argv0.size());
    FUZZ_CHECK(call->interpreter.find('/') == std::string_view::npos);
    FUZZ_CHECK(!comm.empty() && call->interpreter.substr(0, comm.size()) == comm);
    FUZZ_CHECK(within(call->path, cmdline) && call->path.data() > call->interpreter.data());
    FUZZ_CHECK(call->path.find('/') != std::string_view::npos && call->path.front() != '-');
    FUZZ_CHECK(call->path.find('\0') == std::string_view::npos);
}

// The program a "#!" line names: a word of the line, without "/" or blanks.
void checkHashBang(std::string_view head) {
    const std::string_view program = proc_names::hashBangInterpreter(head);
    if (program.empty()) return;
    FUZZ_CHECK(head.substr(0, 2) == "#!");
    FUZZ_CHECK(within(program, head.substr(0, head.find('\n'))));
    FUZZ_CHECK(program.find_first_of("/ \t\n") == std::string_view::npos);
}

// A script's file name: in cmdline after argv[0], without "/" or NUL, and cut
// at 15 bytes it is the short name.
void checkScriptFileName(std::string_view comm, std::string_view cmdline) {
    const std::string_view script = proc_names::scriptFileName(comm, cmdline);
    if (script.empty()) return;
    FUZZ_CHECK(within(script, cmdline) && script.data() > cmdline.data());
    FUZZ_CHECK(script.find('\0') == std::string_view::npos);
    FUZZ_CHECK(script.find('/') == std::string_view::npos);
    FUZZ_CHECK(script.substr(0, 15) == comm);
}

void checkWholeName(std::string_view comm, std::string_view cmdline) {
    const std::string_view name = proc_names::wholeName(comm, cmdline);
    const std::string_view argv0 = cmdline.substr(0, cmdline.find('\0'));
    if (name.data() == comm.data() && name.size() == comm.size() && !comm.empty()) {
        // The short name, when argv[0]'s file name does not start with it.
        return;
    }
    const std::string_view script = proc_names::scriptFileName(comm, cmdline);
    if (!script.empty() && name.data() == script.data() && name.size() == script.size()) {
        return;  // a script's file name, when argv[0]'s does not start with the short name
    }
    // Otherwise argv[0]'s file name: within argv[0], after its last "/", no NUL.
    FUZZ_CHECK(within(name, argv0));
    FUZZ_CHECK(name.find('\0') == std::string_view::npos);
    FUZZ_CHECK(name.find('/') == std::string_view::npos);
    FUZZ_CHECK(name.substr(0, comm.size()) == comm);  // comm is a prefix of it (or empty)
    if (!name.empty()) FUZZ_CHECK(name.data() + name.size() == argv0.data() + argv0.size());
}

// Where a script's lookup may start: a local mount whose point is the path
// itself or one of its leading folders.
void checkMountInfo(std::string_view mountinfo, std::string_view path) {
    const proc_mounts::Table mounts(proc_mounts::parseMountInfo(mountinfo));
    const proc_mounts::Mount* start = mounts.localStart(path);
    if (!start) return;
    FUZZ_CHECK(mounts.isLocal(*start) && proc_mounts::localType(start->type));
    FUZZ_CHECK(path.substr(0, start->point.size()) == start->point);
    FUZZ_CHECK(start->point == "/" || path.size() == start->point.size() ||
               path[start->point.size()] == '/');
}

void checkLowerCase(std::string_view text) {
    const std::string lower = toLowerUtf8(text);
    FUZZ_CHECK(utf8::valid(lower));
    FUZZ_CHECK(toLowerUtf8(lower) == lower);  // lower-casing twice changes nothing more

    const std::u32string in = utf8::decodeLenient(text);
    const std::u32string out = utf8::decodeLenient(lower);
    // One code point out for every code point (or stray byte) in.
    FUZZ_CHECK(out.size() == in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char32_t c = in[i];
        if (c < 0x80) {
            // ASCII stays in place: only A-Z change, to a-z.
            FUZZ_CHECK(out[i] == ((c >= 'A' && c <= 'Z') ? c + 32 : c));
        } else if (c == utf8::kStray) {
            FUZZ_CHECK(out[i] == 0xFFFD);  // a byte that is not UTF-8 shows as U+FFFD
        } else {
            FUZZ_CHECK(out[i] == toLowerCodePoint(c));
            // Only the Kelvin sign and the dotted capital I lower-case to ASCII.
            if (out[i] < 0x80) FUZZ_CHECK(c == 0x212A || c == 0x0130);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view all(reinterpret_cast<const char*>(data), size);

    // The whole input as each kind of file.
    checkLowerCase(all);
    checkHashBang(all);

    // The first byte cuts the rest in two: comm and cmdline of a process whose
    // exe link cannot be read, or a stat line's name and the fields after it.
    if (size >= 1) {
        const std::string_view rest = all.substr(1);
        const std::size_t cut = rest.empty() ? 0 : data[0] % (rest.size() + 1);
        const std::string_view first = rest.substr(0, cut);
        const std::string_view second = rest.substr(cut);
        checkStat(all, first, second);
        const std::string_view comm = first.substr(0, proc_names::kShortNameBytes);
        checkWholeName(comm, second);
        checkMountInfo(second, first);
        checkScriptFileName(comm, second);
        checkScriptCall(comm, second);
        // Any text as /proc/self/mountinfo and status: parsed without reading past it.
        proc_visibility::procMountAt(all, first);
        proc_visibility::mayTraceAnyProcess(all);

        // The name the enumeration would list, lower-cased as the list shows it.
        const auto call = proc_names::scriptCall(comm, second);
        const std::string_view script = call ? proc_names::fileNameOf(call->path) : "";
        const std::string_view name = proc_names::processName(comm, second, script);
        FUZZ_CHECK(within(name, all));
        FUZZ_CHECK(utf8::valid(toLowerUtf8(name)));
    }
    return 0;
}
