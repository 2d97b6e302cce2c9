#pragma once
// Another program run beside this one, fed through a pipe on its standard
// input; its standard output and error are ours. Started with posix_spawn,
// never through a shell.
//
// Writing to a program that has stopped reading raises SIGPIPE; a caller
// that wants an error instead ignores SIGPIPE (the program itself starts
// with the default action).

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace tev::platform {

// Where `name` would be run from when looked up on PATH, as execvp does; empty when
// it is found nowhere (or PATH is empty). A name with a slash is returned
// as it is when that file is executable.
std::string findOnPath(const std::string& name);

class ChildProcess {
  public:
    // argv[0] is looked up on PATH. The program runs `niceness` steps below
    // this one's priority (0: the same). Null, with the reason, when the
    // pipe or the process cannot be made.
    static std::unique_ptr<ChildProcess> start(const std::vector<std::string>& argv,
                                               std::string* error, int niceness = 0);
    // Closes the pipe and, if the program still runs, ends it and waits.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Writes all the bytes; false (with errno's reason) when the program no
    // longer reads them.
    bool write(const void* data, size_t size, std::string* error);

    // Closes the pipe, waits for the program to end and returns its exit
    // status, or 128 + the signal that ended it.
    int finish();

    // Ends the program at once (SIGKILL), waits for it, then closes the
    // pipe; a write blocked in another thread returns with an error.
    void kill();

    pid_t pid() const { return pid_; }

  private:
    ChildProcess() = default;
    int waitForExit();
    pid_t pid_ = -1;
    int input_ = -1;  // our end of the pipe
    int status_ = -1;
};

}  // namespace tev::platform
