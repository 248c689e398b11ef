// process_posix.cpp - process.h on POSIX systems: fork, exec, pipes, poll.
//
// Every input pipe is non-blocking on our side. A write to one pipe polls all of them and
// drains whatever other pipe has bytes pending whenever it can take them, so a child that
// reads its inputs in its own order, waiting on one while another fills, never deadlocks us.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/process.h"

namespace platform {

struct Process {
    pid_t pid = -1;
    struct Input {
        int fd = -1;
        std::vector<unsigned char> pending;  // accepted but not yet written
        size_t offset = 0;
    };
    std::vector<Input> inputs;
    bool broken = false;
};

namespace {

constexpr int kPipeBytes = 1 << 20;

std::atomic<bool> g_interrupted{false};
struct sigaction g_previousInt, g_previousTerm;

void onInterrupt(int) {
    g_interrupted = true;
}

bool isExecutable(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

void closeInputs(Process& p) {
    for (Process::Input& input : p.inputs) {
        if (input.fd >= 0) ::close(input.fd);
        input.fd = -1;
    }
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Writes as much pending data of each pipe as it takes now. False when a pipe broke.
bool drain(Process& p) {
    for (Process::Input& input : p.inputs) {
        while (input.fd >= 0 && input.offset < input.pending.size()) {
            const ssize_t n = ::write(input.fd, input.pending.data() + input.offset,
                                      input.pending.size() - input.offset);
            if (n > 0) {
                input.offset += static_cast<size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                break;
            } else {
                return false;
            }
        }
        if (input.offset == input.pending.size()) {
            input.pending.clear();
            input.offset = 0;
        } else if (input.offset > (1u << 20) && input.offset * 2 > input.pending.size()) {
            // A stream that keeps bytes pending for long is compacted once the written part
            // outweighs the rest, so that each byte is moved a bounded number of times.
            input.pending.erase(input.pending.begin(), input.pending.begin() + input.offset);
            input.offset = 0;
        }
    }
    return true;
}

// Waits until some pipe with pending data can take more (or the child ends). False on a
// broken pipe or a child that has gone.
bool waitWritable(Process& p) {
    std::vector<pollfd> fds;
    for (const Process::Input& input : p.inputs)
        if (input.fd >= 0 && !input.pending.empty()) fds.push_back({input.fd, POLLOUT, 0});
    if (fds.empty()) return true;
    const int ready = ::poll(fds.data(), fds.size(), 200);
    if (ready < 0 && errno != EINTR) return false;
    for (const pollfd& f : fds)
        if (f.revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
    if (ready == 0) {
        // Nothing for a while: make sure the child is still there.
        int status = 0;
        if (::waitpid(p.pid, &status, WNOHANG) == p.pid) {
            p.pid = -1;
            return false;
        }
    }
    return true;
}

}  // namespace

std::string findExecutable(const char* name) {
    if (!name || !*name) return {};
    if (std::strchr(name, '/')) return isExecutable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        const std::string candidate = dir + "/" + name;
        if (isExecutable(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

Process* startProcess(const std::vector<std::string>& argv, int inputs, std::string& error) {
    if (argv.empty() || inputs < 1) {
        error = "nothing to run";
        return nullptr;
    }
    const std::string program = findExecutable(argv[0].c_str());
    if (program.empty()) {
        error = argv[0] + " was not found on the search path";
        return nullptr;
    }
    std::vector<int> readEnds(inputs, -1), writeEnds(inputs, -1);
    for (int i = 0; i < inputs; ++i) {
        int fds[2];
        if (::pipe(fds) != 0) {
            error = std::string("cannot make a pipe: ") + std::strerror(errno);
            for (int j = 0; j < i; ++j) {
                ::close(readEnds[j]);
                ::close(writeEnds[j]);
            }
            return nullptr;
        }
        readEnds[i] = fds[0];
        writeEnds[i] = fds[1];
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        error = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        for (int i = 0; i < inputs; ++i) {
            ::close(readEnds[i]);
            ::close(writeEnds[i]);
        }
        return nullptr;
    }
    if (pid == 0) {
        // The child: its own process group, so the terminal's Ctrl-C reaches only the parent.
        ::setpgid(0, 0);
        ::signal(SIGINT, SIG_IGN);
        ::signal(SIGPIPE, SIG_DFL);
        // Move the read ends out of the way of the numbers they must end up on.
        for (int i = 0; i < inputs; ++i) {
            ::close(writeEnds[i]);
            readEnds[i] = ::fcntl(readEnds[i], F_DUPFD, 64 + i);
        }
        for (int i = 0; i < inputs; ++i) {
            const int target = i == 0 ? 0 : i + 2;
            ::dup2(readEnds[i], target);
            ::close(readEnds[i]);
        }
        ::execv(program.c_str(), args.data());
        ::_exit(127);
    }
    // Our side writes without ever blocking, and a reader that goes away is an error, not
    // a signal.
    ::signal(SIGPIPE, SIG_IGN);
    Process* p = new Process;
    p->pid = pid;
    p->inputs.resize(inputs);
    for (int i = 0; i < inputs; ++i) {
        ::close(readEnds[i]);
        p->inputs[i].fd = writeEnds[i];
        ::fcntl(writeEnds[i], F_SETFD, FD_CLOEXEC);
        ::fcntl(writeEnds[i], F_SETFL, ::fcntl(writeEnds[i], F_GETFL) | O_NONBLOCK);
#ifdef F_SETPIPE_SZ
        // A larger pipe (where the system allows it) wakes the reader fewer times for the
        // same bytes; a refusal leaves the usual size.
        ::fcntl(writeEnds[i], F_SETPIPE_SZ, kPipeBytes);
#endif
    }
    return p;
}

// Appends bytes to one pipe's pending bytes; null when the process or the pipe is gone.
static Process::Input* queueBytes(Process* process, int index, const void* data, size_t size) {
    if (!process || process->broken || index < 0 ||
        index >= static_cast<int>(process->inputs.size()) || process->inputs[index].fd < 0)
        return nullptr;
    Process::Input& input = process->inputs[index];
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    input.pending.insert(input.pending.end(), bytes, bytes + size);
    return &input;
}

bool writeToProcess(Process* process, int index, const void* data, size_t size,
                    size_t mayStayPending) {
    Process::Input* input = queueBytes(process, index, data, size);
    if (!input) return false;
    // Done when no more than mayStayPending of this pipe's bytes wait; the other pipes'
    // pending bytes flow meanwhile and may stay pending (later calls or the finish write them).
    while (true) {
        if (!drain(*process)) break;
        if (input->pending.size() - input->offset <= mayStayPending) return true;
        if (!waitWritable(*process)) break;
    }
    process->broken = true;
    return false;
}

bool queueForProcess(Process* process, int index, const void* data, size_t size) {
    Process::Input* input = queueBytes(process, index, data, size);
    if (!input) return false;
    if (!drain(*process)) {
        process->broken = true;
        return false;
    }
    return true;
}

int finishProcess(Process* process) {
    if (!process) return -1;
    // Each pipe is closed as soon as its pending bytes are out: the end of one stream may be
    // what the child waits for before it reads the rest of another.
    while (!process->broken) {
        if (!drain(*process)) break;
        bool pending = false;
        for (Process::Input& input : process->inputs) {
            if (input.fd >= 0 && input.pending.empty()) {
                ::close(input.fd);
                input.fd = -1;
            }
            pending = pending || input.fd >= 0;
        }
        if (!pending || !waitWritable(*process)) break;
    }
    closeInputs(*process);
    const int status = process->pid > 0 ? waitFor(process->pid) : -1;
    delete process;
    return status;
}

void killProcess(Process* process) {
    if (!process) return;
    closeInputs(*process);
    if (process->pid > 0) {
        ::kill(process->pid, SIGKILL);
        waitFor(process->pid);
    }
    delete process;
}

void watchInterrupt(bool on) {
    if (on) {
        g_interrupted = false;
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &g_previousInt);
        ::sigaction(SIGTERM, &action, &g_previousTerm);
    } else {
        ::sigaction(SIGINT, &g_previousInt, nullptr);
        ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    }
}

bool interruptRequested() {
    return g_interrupted.load();
}

}  // namespace platform
