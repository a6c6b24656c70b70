// Names of every length, from the command line and from standard input: the
// longest one the system takes is stamped, longer ones fail to open, and
// memory stays small however long the input is.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "fixtures.hpp"

namespace {

// Sanitizers reserve memory of their own; the bound is for the real program.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
constexpr bool Sanitized = __has_feature(address_sanitizer);
#else
constexpr bool Sanitized = false;
#endif

constexpr long MemoryBoundKiB = 16L * 1024;

// Runs the program through peak_memory (built beside this test) and checks
// its peak resident memory.
ProcessResult RunMeasured(const TempDir& dir, const std::vector<std::string>& args, const ProcessOptions& options,
                          const char* what) {
    if (Tool::Get().UnderWine() || Sanitized) return Tool::Get().Run(args, options);  // not the program's own memory
    const std::string measure = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "peak_memory";
    std::vector<std::string> argv = {measure, dir / "peak", Tool::Get().binary};
    argv.insert(argv.end(), args.begin(), args.end());
    ProcessResult result = RunProcess(argv, options);
    const long peakKiB = std::stol(ReadFile(dir / "peak"));
    EXPECT_LT(peakKiB, MemoryBoundKiB) << what;
    std::printf("%s: peak memory %ld KiB\n", what, peakKiB);
    return result;
}

// Names relative to a scratch directory, too long to be named from outside it.
class LongNames {
public:
    explicit LongNames(const TempDir& dir) : dirFd_(open(dir.path().c_str(), O_RDONLY | O_DIRECTORY)) {}

    // A table named by exactly `length` characters, in folders made for it.
    std::string Make(std::size_t length, char fill) const {
        std::string name;
        while (length - name.size() > 200) {
            name += std::string(199, fill) + "/";
            mkdirat(dirFd_.get(), name.c_str(), 0755);
        }
        name += std::string(length - name.size(), fill);
        Write(name, Table40);
        return name;
    }
    void Write(const std::string& name, const std::string& bytes) const {
        const Descriptor fd(openat(dirFd_.get(), name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
        ASSERT_GE(fd.get(), 0) << std::strerror(errno);
        ASSERT_EQ(write(fd.get(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string Read(const std::string& name) const {
        const Descriptor fd(openat(dirFd_.get(), name.c_str(), O_RDONLY));
        std::string bytes(100, '\0');
        const ssize_t n = read(fd.get(), bytes.data(), bytes.size());
        bytes.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        return bytes;
    }

private:
    Descriptor dirFd_;
};

TEST(Names, TheLongestNameIsStampedAndOneMoreCharacterIsRefused) {
    // The open takes MAX_PATH - 1 characters on Windows, PATH_MAX - 1 on POSIX.
    const std::size_t longest = Tool::Get().UnderWine() ? 259 : 4095;
    TempDir dir;
    const LongNames names(dir);
    const std::string fits = names.Make(longest, 'f');
    // Under Wine the longer name can exist, and is refused all the same; a
    // POSIX system has no such file.
    const std::string over = Tool::Get().UnderWine() ? names.Make(longest + 1, 'o') : std::string(longest + 1, 'o');
    ExpectSilentExit(Tool::Get().Run({fits}, In(dir)), 0);
    EXPECT_EQ(names.Read(fits), Stamped(Table40));
    ExpectSilentExit(Tool::Get().Run({over}, In(dir)), 2);

    names.Write(fits, Table40);
    ExpectSilentExit(Tool::Get().Run({}, In(dir, fits + "\n")), 0);
    EXPECT_EQ(names.Read(fits), Stamped(Table40));
    ExpectSilentExit(Tool::Get().Run({}, In(dir, over + "\r\n")), 2);
    if (Tool::Get().UnderWine()) {
        EXPECT_EQ(names.Read(over), Table40);
    }
}

TEST(Names, VeryLongNamesFromStandardInputFailToOpenWithBoundedMemory) {
    TempDir dir;
    struct Case {
        std::string input;
        const char* what;
    };
    const Case cases[] = {
        {std::string(1u << 20, 'n') + "\n", "1 MiB"},
        {std::string(1u << 20, 'n') + "\r\nt.dbf\n", "1 MiB, CR LF"},
        {std::string(20u << 20, 'n'), "20 MiB without a line end"},
    };
    for (const Case& c : cases) {
        ExpectSilentExit(RunMeasured(dir, {}, In(dir, c.input), c.what), 2);
    }
}

TEST(Names, TheLongestArgumentTheSystemPassesFailsToOpen) {
    // Linux passes one argument of at most 128 KiB (MAX_ARG_STRLEN, with its
    // zero byte); a Windows command line holds at most 32767 characters.
    const std::size_t length = Tool::Get().UnderWine() ? 32000 : 128 * 1024 - 1;
    TempDir dir;
    ExpectSilentExit(RunMeasured(dir, {std::string(length, 'n')}, In(dir), "the longest argument"), 2);
}

}  // namespace
