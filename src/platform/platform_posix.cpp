// The platform operations on Linux and other POSIX systems.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>

#include "platform.hpp"
#include "report.hpp"

// Set by the GNU linkers to the first byte of the program's loaded image.
extern "C" const char __executable_start[];  // NOLINT(bugprone-reserved-identifier): the linker's name

namespace {

static_assert(sizeof(off_t) >= 8, "positions past 2 GiB need a 64-bit off_t");

// errno in the run's Win32 vocabulary: the one place it is translated.
IoResult Win32Code(int error) {
    switch (error) {
        case ENOENT: return 2;  // ERROR_FILE_NOT_FOUND
        case ENOTDIR:
        case ELOOP: return 3;  // ERROR_PATH_NOT_FOUND
        case EMFILE:
        case ENFILE: return 4;  // ERROR_TOO_MANY_OPEN_FILES
        case EACCES:
        case EPERM:
        case EROFS: return 5;  // ERROR_ACCESS_DENIED
        case EBADF: return 6;  // ERROR_INVALID_HANDLE
        case ENOSPC:
        case EDQUOT: return 112;  // ERROR_DISK_FULL
        case EFBIG: return 223;   // ERROR_FILE_TOO_LARGE
        case EIO: return 1117;    // ERROR_IO_DEVICE
        case EINVAL: return 87;   // ERROR_INVALID_PARAMETER
        case EISDIR: return 1;    // ERROR_INVALID_FUNCTION
        default: return 31;       // ERROR_GEN_FAILURE
    }
}

IoResult LastError() {
    return Win32Code(errno);
}

// A table opened while a standard stream is closed would take descriptor 0,
// 1 or 2, and the failure report written to standard output would land in it.
int AboveStandardStreams(int fd) {
    if (fd > STDERR_FILENO) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

class PosixPlatform final : public Platform {
public:
    PosixPlatform(int argc, char** argv) : argc_(argc), argv_(argv) {}

    std::string Argument1() override {
        // The shell has cut the line already. An empty entry is what a bare
        // pair of quotes gives, and those are passed over like blanks.
        for (int i = 1; i < argc_; ++i) {
            if (argv_[i][0] != '\0') return argv_[i];
        }
        return {};
    }

    std::size_t MaxNameLength() override {
        return PATH_MAX - 1;  // PATH_MAX counts the terminating zero byte
    }

    ReadResult ReadStdin(std::span<char> buffer) override {
        for (;;) {
            const ssize_t n = read(STDIN_FILENO, buffer.data(), buffer.size());
            if (n >= 0) return {0, static_cast<std::size_t>(n)};
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // A non-blocking standard input: wait for the name to come.
                pollfd input{STDIN_FILENO, POLLIN, 0};
                poll(&input, 1, -1);
                continue;
            }
            if (errno == EBADF) return {IoStdinUnavailable, 0};
            return {LastError(), 0};
        }
    }

    OpenResult Open(const std::string& name) override {
        if (name.size() > MaxNameLength()) return {Win32Code(ENAMETOOLONG), -1};
        // O_NONBLOCK: opening a FIFO must not wait for a writer (it has no
        // effect on a regular file). O_NOCTTY: a terminal must not become ours.
        const int fd = open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return {LastError(), -1};
        struct stat status {};
        if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            // Only a table is stamped; a device or a pipe is never written into.
            close(fd);
            return {5, -1};  // ERROR_ACCESS_DENIED, as the Win32 open refuses a directory
        }
        const int table = AboveStandardStreams(fd);
        if (table < 0) return {LastError(), -1};
        return {0, table};
    }

    IoResult Seek(FileHandle file, std::uint64_t position) override {
        if (lseek(Fd(file), static_cast<off_t>(position), SEEK_SET) < 0) return LastError();
        return 0;
    }

    IoResult WriteByte(FileHandle file, std::uint8_t byte) override {
        const ssize_t n = write(Fd(file), &byte, 1);
        if (n < 0) return LastError();
        return n == 1 ? 0 : IoShortWrite;
    }

    IoResult Size(FileHandle file, std::uint64_t& size) override {
        struct stat status {};
        if (fstat(Fd(file), &status) != 0) return LastError();
        size = static_cast<std::uint64_t>(status.st_size);
        return 0;
    }

    IoResult Close(FileHandle file) override {
        // Not retried on EINTR: Linux has released the descriptor either way.
        return close(Fd(file)) == 0 ? 0 : LastError();
    }

    std::string_view ModuleName(std::span<char> out) override {
        std::array<char, PATH_MAX> path{};
        const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        std::string_view program;
        if (n > 0) {
            program = {path.data(), static_cast<std::size_t>(n)};
        } else if (argc_ > 0 && argv_[0] != nullptr) {
            program = argv_[0];
        }
        return BaseName(program, "/", out);
    }

    std::uint32_t ImageOffset(const void* address) override {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) -
                                          reinterpret_cast<std::uintptr_t>(__executable_start));
    }

    void WriteStdout(std::string_view text) override {
        // A report into a closed pipe fails like any other write rather than
        // killing the process: the exit code is 1 either way.
        (void)std::signal(SIGPIPE, SIG_IGN);  // cannot fail for this signal
        while (!text.empty()) {
            const ssize_t n = write(STDOUT_FILENO, text.data(), text.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            text.remove_prefix(static_cast<std::size_t>(n));
        }
    }

private:
    static int Fd(FileHandle file) { return static_cast<int>(file); }

    int argc_;
    char** argv_;
};

}  // namespace

Platform& StartPlatform(int argc, char** argv) {
    // A write past the file-size limit fails like any other write rather
    // than killing the process.
    (void)std::signal(SIGXFSZ, SIG_IGN);  // cannot fail for this signal
    static PosixPlatform platform(argc, argv);
    return platform;
}

void ExitProcessWith(int code) {
    std::exit(code);  // NOLINT(concurrency-mt-unsafe): the process has one thread
}
