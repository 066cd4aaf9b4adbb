#include "tests/stress/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

extern char** environ;

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const Options& options) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);

    // The extra variables replace ours of the same name.
    std::vector<std::string> envText = options.extraEnvironment;
    const auto replaced = [&](const char* entry) {
        for (const auto& extra : options.extraEnvironment) {
            const std::size_t nameEnd = extra.find('=') + 1;
            if (extra.compare(0, nameEnd, entry, 0, nameEnd) == 0) return true;
        }
        return false;
    };
    for (char** e = environ; *e; ++e) {
        if (!replaced(*e)) envText.emplace_back(*e);
    }
    std::vector<char*> envp;
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string output = options.output.empty() ? "/dev/null" : options.output;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) {
        pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess() {
    kill();
}

void ChildProcess::reaped(int status) {
    result_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

bool ChildProcess::running() {
    if (!started() || result_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        reaped(status);
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return result_;
}

void ChildProcess::kill() {
    if (!running()) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    if (waitpid(pid_, &status, 0) == pid_) reaped(status);
}

namespace {

std::string exeLinkOf(pid_t pid) {
    char buffer[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    const ssize_t length = readlink(link.c_str(), buffer, sizeof buffer);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string argv0Of(pid_t pid) {
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
    std::string argv0;
    std::getline(cmdline, argv0, '\0');
    return argv0;
}

}  // namespace

std::unique_ptr<ChildProcess> startSleeper(const std::filesystem::path& path, int seconds) {
    std::filesystem::copy_file("/bin/sleep", path,
                               std::filesystem::copy_options::overwrite_existing);
    auto child = std::make_unique<ChildProcess>(path.native(),
                                                std::vector<std::string>{std::to_string(seconds)});
    // posix_spawn returns while the kernel still loads the program: the exe link
    // and the short name are new before the arguments are in place. Once
    // argv[0] is there too, the exec is done.
    const auto executed = [&] {
        return exeLinkOf(child->pid()) == path.native() && argv0Of(child->pid()) == path.native();
    };
    for (int i = 0; child->started() && i < 200 && !executed(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return child;
}
