#include "app/shared/entry.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "contract/exit_status.h"

std::string joinArguments(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

void ignoreBrokenPipes() {
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void endTerminationWithFailureStatus() {
    std::set_terminate([] {
        // Nothing here may allocate; standard error is unbuffered.
        std::fputs(std::current_exception() ? "lingerjob: unexpected error\n"
                                            : "lingerjob: out of memory\n",
                   stderr);
        std::_Exit(exit_status::kFailure);
    });
}
