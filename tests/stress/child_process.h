#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A program started for a test, killed and reaped when the object goes, so no
// test leaves a process behind, whatever it fails on.
class ChildProcess {
  public:
    struct Options {
        std::vector<std::string> extraEnvironment;  // "NAME=value", added to ours
        std::string output;                         // file for stdout and stderr; empty: /dev/null
    };

    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const Options& options);
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
        : ChildProcess(program, arguments, Options{}) {}
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool started() const { return pid_ > 0; }

    // Still running (not yet reaped by us)?
    bool running();

    // Waits until it ends; its exit status, or -(signal) when a signal killed it;
    // nullopt when it was still running at the deadline.
    std::optional<int> waitFor(std::chrono::milliseconds timeout);

    void kill();

  private:
    void reaped(int status);

    pid_t pid_ = -1;
    std::optional<int> result_;
};

// A copy of /bin/sleep at `path`, sleeping `seconds`, returned once its exec is
// done (or after two seconds), so a snapshot lists it under its own name.
std::unique_ptr<ChildProcess> startSleeper(const std::filesystem::path& path, int seconds);
