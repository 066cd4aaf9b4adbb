#pragma once

#include <optional>
#include <string>
#include <vector>

#include "watch/process_enumerator.h"

// The running processes through Windows Tool Help: a process
// snapshot read with Process32First/Process32Next in their single-byte forms.
// Names come back converted from the ANSI code page to UTF-8 and lower-cased
// with the system's case mapping. The own lineage follows th32ParentProcessID,
// as far as each parent is older than its child.
//
// std::nullopt only where the platform could not enumerate at all: no snapshot
// (INVALID_HANDLE_VALUE), or Process32First failing on a snapshot that always
// holds at least the calling process, so that failure cannot mean "no processes".
class ToolhelpEnumerator : public ProcessEnumerator {
  public:
    std::optional<ProcessSnapshot> snapshot() override;
};

// One szExeFile name (single-byte text in the ANSI code page, len bytes) as
// lower-cased UTF-8. Exposed for tests.
std::string ansiNameToLowerUtf8(const char* name, std::size_t len);
