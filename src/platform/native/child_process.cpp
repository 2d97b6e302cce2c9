#include "platform/native/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace tev::platform {
namespace {

bool executableFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string systemError(int code) {
    return std::strerror(code);
}

}  // namespace

std::string findOnPath(const std::string& name) {
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return executableFile(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    if (path == nullptr) return {};
    const std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // An empty entry means the current directory.
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (executableFile(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

std::unique_ptr<ChildProcess> ChildProcess::start(const std::vector<std::string>& argv,
                                                  std::string* error, int niceness) {
    auto fail = [error](const std::string& why) -> std::unique_ptr<ChildProcess> {
        if (error) *error = why;
        return nullptr;
    };
    if (argv.empty()) return fail("no program to run");
    const std::string program = findOnPath(argv[0]);
    if (program.empty()) return fail(argv[0] + " was not found on PATH");

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return fail("cannot make a pipe: " + systemError(errno));
    // A roomier pipe takes a large write in fewer turns of the scheduler;
    // where the system refuses, the default will do.
    fcntl(pipeEnds[1], F_SETPIPE_SZ, 1 << 20);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copy, so only standard input is passed on.
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    const short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    posix_spawnattr_setflags(&attributes, flags);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipeEnds[0]);
    if (spawned != 0) {
        close(pipeEnds[1]);
        return fail("cannot start " + program + ": " + systemError(spawned));
    }
    if (niceness > 0) {
        // posix_spawn sets no priority. It returns once the program runs,
        // while its loader is still at work and long before it makes the
        // threads that inherit the priority.
        errno = 0;
        const int ours = getpriority(PRIO_PROCESS, 0);
        if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(pid), ours + niceness);
    }
    std::unique_ptr<ChildProcess> child(new ChildProcess());
    child->pid_ = pid;
    child->input_ = pipeEnds[1];
    return child;
}

ChildProcess::~ChildProcess() {
    if (input_ >= 0) close(input_);
    if (pid_ > 0 && status_ < 0) kill();
}

bool ChildProcess::write(const void* data, size_t size, std::string* error) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = input_ >= 0 ? ::write(input_, bytes, size) : (errno = EBADF, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (error) *error = systemError(errno);
            return false;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int ChildProcess::waitForExit() {
    if (status_ >= 0 || pid_ <= 0) return status_;
    int raw = 0;
    while (waitpid(pid_, &raw, 0) < 0) {
        if (errno != EINTR) return status_ = 255;
    }
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return status_;
}

int ChildProcess::finish() {
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
    return waitForExit();
}

void ChildProcess::kill() {
    // Killed before the pipe closes: a write blocked on it in another thread
    // then fails with EPIPE instead of waiting for ever.
    if (pid_ > 0 && status_ < 0) ::kill(pid_, SIGKILL);
    waitForExit();
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
}

}  // namespace tev::platform
