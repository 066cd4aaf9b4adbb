#pragma once

#include <optional>
#include <string>
#include <vector>

#include "watch/process_enumerator.h"

// The running processes through Windows Tool Help: a process snapshot read with
// Process32FirstW/Process32NextW, so that every name arrives whole, whatever the
// system's ANSI code page. Names come back as UTF-8, not lower-cased (the core
// does that with its own case map, as for every platform). The own lineage
// follows th32ParentProcessID, as far as each parent is older than its child.
//
// std::nullopt only where the platform could not enumerate at all: no snapshot
// (INVALID_HANDLE_VALUE), or Process32FirstW failing on a snapshot that always
// holds at least the calling process, so that failure cannot mean "no processes".
class ToolhelpEnumerator : public ProcessEnumerator {
  public:
    std::optional<ProcessSnapshot> snapshot() override;
    // The process's command line split as Windows programs split theirs
    // (CommandLineToArgvW), its arguments joined by blanks (process_command_line.cpp).
    std::optional<std::string> commandLine(ProcessId id) override;
    bool namesEndInExe() const override { return true; }
};

// One szExeFile name (UTF-16, len code units) as UTF-8; a lone surrogate becomes
// U+FFFD. Exposed for tests.
std::string wideNameToUtf8(const wchar_t* name, std::size_t len);
