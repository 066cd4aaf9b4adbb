#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A process id as the platform numbers it (a Linux pid, a Windows process id).
using ProcessId = std::uint32_t;

struct RunningProcess {
    ProcessId id;
    std::string name;  // as the platform gives it: not yet lower-cased, maybe not valid UTF-8
};

// What one enumeration saw.
struct ProcessSnapshot {
    // One entry per running process, in the order the platform reports them.
    std::vector<RunningProcess> processes;
    // This process, its parent, the parent's parent and so on (see lineageOf):
    // processes a watch never counts, since it would otherwise wait on the script
    // or program that runs it.
    std::vector<ProcessId> ownLineage;
};

// Lists the processes running now, with their executable file names.
class ProcessEnumerator {
  public:
    virtual ~ProcessEnumerator() = default;

    // std::nullopt when the processes could not be enumerated at all; an empty
    // list means there were none.
    virtual std::optional<ProcessSnapshot> snapshot() = 0;

    // The names of the snapshot's processes in its order, leaving out this
    // program and its ancestors: what the task list shows.
    std::optional<std::vector<std::string>> enumerate();

    // The processes of a snapshot that a watch counts: all but this program and
    // its ancestors, in the snapshot's order.
    std::optional<std::vector<RunningProcess>> listed();

    // The command line of a running process: its arguments joined by single
    // blanks. Nothing when it cannot be read (gone, hidden, another account's
    // protected process). Read only when asked, never by snapshot().
    virtual std::optional<std::string> commandLine(ProcessId) { return std::nullopt; }

    // The name one process runs under now, as snapshot() would list it, read
    // afresh; nothing when it has gone, is not listed, or the platform cannot tell
    // one process's name alone.
    virtual std::optional<std::string> nameOf(ProcessId) { return std::nullopt; }

    // Whether the platform names programs with their ".exe", which a whole-name
    // match may leave off.
    virtual bool namesEndInExe() const { return false; }
};

// Whether the process is one of the snapshot's own lineage.
bool isOwnLineage(const ProcessSnapshot& snapshot, ProcessId id);
