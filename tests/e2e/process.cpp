#include "process.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe MakePipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
    return {fds[0], fds[1]};
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// In the child: the stream `target` becomes `fd`, or is closed when fd < 0.
void Place(int fd, int target) {
    if (fd < 0) {
        close(target);
    } else if (fd == target) {
        fcntl(fd, F_SETFD, 0);
    } else {
        dup2(fd, target);
    }
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
    signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not end the test
    Pipe in = MakePipe();
    Pipe out = MakePipe();
    Pipe err = MakePipe();
    int stdinFd = in.read;
    if (options.stdinPath) {
        stdinFd = open(options.stdinPath->c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY);
        if (stdinFd < 0) stdinFd = open(options.stdinPath->c_str(), O_RDONLY | O_CLOEXEC);
        if (stdinFd < 0) throw std::runtime_error("cannot open " + *options.stdinPath);
    } else if (!options.stdinBytes) {
        stdinFd = -1;
    }
    if (options.stdinNonBlockingLater) fcntl(in.read, F_SETFL, O_NONBLOCK);
    int stdoutFd = options.closeStdout ? -1 : out.write;
    if (options.brokenStdout) CloseFd(out.read);

    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        // Only async-signal-safe calls from here to the exec.
        if (chdir(options.workDir.c_str()) != 0) _exit(126);
        Place(stdinFd, STDIN_FILENO);
        Place(stdoutFd, STDOUT_FILENO);
        Place(err.write, STDERR_FILENO);
        if (options.fileSizeLimit >= 0) {
            const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        signal(SIGPIPE, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (stdinFd != in.read) CloseFd(stdinFd);
    CloseFd(in.read);
    CloseFd(out.write);
    CloseFd(err.write);

    ProcessResult result;
    std::string pending = options.stdinBytes.value_or("");
    if (!options.stdinBytes || options.stdinPath) CloseFd(in.write);
    const auto start = std::chrono::steady_clock::now();
    auto elapsedMs = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    };
    bool interrupted = false;
    // Bytes for a non-blocking standard input are held back a while, so that
    // the child first finds the pipe empty.
    const int holdBackMs = options.stdinNonBlockingLater ? 300 : 0;

    // Once the child has ended, what it wrote is read for a short while more:
    // a process it left behind (as Wine's services are) may hold the pipes.
    int status = 0;
    rusage usage{};
    bool ended = false;
    long endedAtMs = 0;
    while (out.read >= 0 || err.read >= 0) {
        if (!ended && wait4(pid, &status, WNOHANG, &usage) == pid) {
            ended = true;
            endedAtMs = elapsedMs();
        }
        if (ended && elapsedMs() - endedAtMs > 300) break;
        if (elapsedMs() > options.timeoutMs) {
            kill(pid, SIGKILL);
            result.timedOut = true;
            break;
        }
        if (!interrupted && options.interruptAfterMs >= 0 && elapsedMs() >= options.interruptAfterMs) {
            kill(pid, SIGINT);
            interrupted = true;
        }
        pollfd fds[3] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}, {-1, POLLOUT, 0}};
        if (in.write >= 0 && !pending.empty() && elapsedMs() >= holdBackMs) fds[2].fd = in.write;
        if (poll(fds, 3, 20) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                CloseFd(i == 0 ? out.read : err.read);
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0 && !pending.empty()) {
            if (fds[2].revents & (POLLERR | POLLHUP)) {
                CloseFd(in.write);
            } else {
                const ssize_t n = write(in.write, pending.data(), pending.size());
                if (n > 0) pending.erase(0, static_cast<std::size_t>(n));
                if (n < 0 || pending.empty()) CloseFd(in.write);
            }
        }
        // Standard input stays open, and empty, for a child that is to be interrupted.
        const bool keepOpen = options.interruptAfterMs >= 0;
        if (in.write >= 0 && pending.empty() && elapsedMs() >= holdBackMs && !keepOpen) CloseFd(in.write);
    }
    CloseFd(in.write);
    CloseFd(out.read);
    CloseFd(err.read);

    while (!ended) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) break;
        if (elapsedMs() > options.timeoutMs + 5000) {
            kill(pid, SIGKILL);
            result.timedOut = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.peakRssKiB = usage.ru_maxrss;
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}
