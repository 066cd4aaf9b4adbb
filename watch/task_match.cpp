#include "watch/task_match.h"

#include "watch/lower_case.h"

namespace {

constexpr std::string_view kExeSuffix = ".exe";

}  // namespace

bool textMatches(std::string_view text, std::string_view sought, bool exact, bool exeName) {
    if (!exact) return !text.empty() && text.find(sought) != std::string_view::npos;
    if (text == sought) return true;
    return exeName && text.size() == sought.size() + kExeSuffix.size() &&
           text.substr(0, sought.size()) == sought && text.substr(sought.size()) == kExeSuffix;
}

std::vector<std::size_t> matchingProcesses(const std::vector<RunningProcess>& listed,
                                           std::string_view sought, TaskMatch how,
                                           ProcessEnumerator& processes) {
    const bool exeNames = processes.namesEndInExe();
    std::vector<std::size_t> matching;
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const RunningProcess& process = listed[i];
        if (how.full) {
            const auto line = processes.commandLine(process.id);
            if (line && !line->empty()) {
                if (textMatches(toLowerUtf8(*line), sought, how.exact, false)) {
                    matching.push_back(i);
                }
                continue;
            }
        }
        if (textMatches(process.name, sought, how.exact, exeNames)) matching.push_back(i);
    }
    return matching;
}
