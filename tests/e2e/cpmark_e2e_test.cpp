// The real program in a scratch directory: file bytes, exit codes, the exact
// report on standard output and nothing ever on standard error.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <regex>

#include "fixtures.hpp"

namespace {

TEST(Stamping, OnlyByte29ChangesInATableOfThirtyBytesOrMore) {
    const std::string tables[] = {Table40, std::string(30, 'a'), SampleTable()};
    for (const std::string& before : tables) {
        TempDir dir;
        WriteFile(dir / "t.dbf", before);
        ExpectSilentExit(Tool::Get().Run({"t.dbf"}, In(dir)), 0);
        EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(before));
    }
}

TEST(Stamping, ShorterTablesGrowToThirtyBytesOfZerosAndTheMark) {
    for (const std::string before : {"", "\x03", "abc", "0123456789012345678901234567"}) {
        TempDir dir;
        WriteFile(dir / "t.dbf", before);
        ExpectSilentExit(Tool::Get().Run({"t.dbf"}, In(dir)), 0);
        EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(before)) << "from " << before.size() << " bytes";
    }
}

TEST(Stamping, AMarkAlreadyThereIsWrittenAgain) {
    TempDir dir;
    WriteFile(dir / "t.dbf", Stamped(Table40));
    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "t.dbf").c_str(), past, 0), 0);
    ExpectSilentExit(Tool::Get().Run({"t.dbf"}, In(dir)), 0);
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(Table40));
    struct stat status {};
    ASSERT_EQ(stat((dir / "t.dbf").c_str(), &status), 0);
    EXPECT_GT(status.st_mtim.tv_sec, 1000000000) << "the write is made even so";
}

TEST(Stamping, ATableOfFiveGibibytesKeepsItsSize) {
    TempDir dir;
    const std::string path = dir / "big.dbf";
    WriteFile(path, Table40);
    const off_t size = 5LL << 30;
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    ExpectSilentExit(Tool::Get().Run({"big.dbf"}, In(dir)), 0);
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_size, size);
    const Descriptor fd(open(path.c_str(), O_RDONLY));
    char head[40];
    ASSERT_EQ(pread(fd.get(), head, sizeof head, 0), 40);
    EXPECT_EQ(std::string(head, 40), Stamped(Table40));
}

TEST(NameOnTheCommandLine, IsUsedAsGiven) {
    struct Case {
        std::vector<std::string> args;
        std::string stamped;  // the file that gets the mark
    };
    const Case cases[] = {
        {{"t.dbf"}, "t.dbf"},
        {{"t.dbf", "other.dbf"}, "t.dbf"},  // further arguments are ignored
        {{"", "t.dbf"}, "t.dbf"},           // an empty argument is passed over
        {{"my table.dbf"}, "my table.dbf"},
        {{"my", "table.dbf"}, "my"},
        {{"--help"}, "--help"},  // no options: a name like any other
        // Windows drops trailing blanks from a file name; POSIX keeps them.
        {{" t.dbf "}, Tool::Get().UnderWine() ? " t.dbf" : " t.dbf "},
    };
    const std::string names[] = {"t.dbf", "other.dbf", "my table.dbf", "my", "--help", " t.dbf ", " t.dbf"};
    for (const Case& c : cases) {
        TempDir dir;
        for (const std::string& name : names) WriteFile(dir / name, Table40);
        ExpectSilentExit(Tool::Get().Run(c.args, In(dir)), 0);
        for (const std::string& name : names) {
            EXPECT_EQ(ReadFile(dir / name), name == c.stamped ? Stamped(Table40) : Table40)
                << name << " after " << c.args[0];
        }
    }
}

TEST(NameOnTheCommandLine, EightBitBytesPassUnchanged) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "Wine converts arguments through its own code pages";
    TempDir dir;
    const std::string name = "\xD1\xF3\xEC.dbf";  // 8-bit bytes, not valid UTF-8
    WriteFile(dir / name, Table40);
    ExpectSilentExit(Tool::Get().Run({name}, In(dir)), 0);
    EXPECT_EQ(ReadFile(dir / name), Stamped(Table40));
}

TEST(NameOnStandardInput, OneLineIsRead) {
    struct Case {
        std::string input;
        std::string stamped;  // "" when nothing is
        int exitCode;
    };
    const Case cases[] = {
        {"t.dbf\n", "t.dbf", 0},
        {"t.dbf\r\nother.dbf\r\n", "t.dbf", 0},
        {"t.dbf", "t.dbf", 0},
        {"t.d\rbf\n", "t.dbf", 0},                        // a lone CR is dropped
        {std::string("t.dbf\0other\n", 12), "t.dbf", 0},  // cut at the zero byte
        {"my table.dbf\n", "my table.dbf", 0},
        {" t.dbf \n", Tool::Get().UnderWine() ? " t.dbf" : " t.dbf ", 0},  // blanks are kept
        {"   \n", "", 2},                                                  // a name of blanks, which is missing
        {std::string("\0t.dbf\n", 7), "", 2},
        {"\x1At.dbf\n", "", 1},  // Ctrl-Z first: the input ends
        {"\n", "", 1},
        {"\r\n", "", 1},
        {"", "", 1},
    };
    const std::string names[] = {"t.dbf", "other.dbf", "my table.dbf", " t.dbf ", " t.dbf"};
    for (const Case& c : cases) {
        TempDir dir;
        for (const std::string& name : names) WriteFile(dir / name, Table40);
        ExpectSilentExit(Tool::Get().Run({}, In(dir, c.input)), c.exitCode);
        for (const std::string& name : names) {
            EXPECT_EQ(ReadFile(dir / name), name == c.stamped ? Stamped(Table40) : Table40)
                << "[" << name << "] after input [" << c.input << "]";
        }
    }
}

TEST(NameOnStandardInput, IsReadWhenTheOnlyArgumentIsEmpty) {
    TempDir dir;
    WriteFile(dir / "t.dbf", Table40);
    ExpectSilentExit(Tool::Get().Run({""}, In(dir, "t.dbf\n")), 0);
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(Table40));
}

TEST(NameOnStandardInput, FromANonBlockingPipeThatGetsTheNameLater) {
    TempDir dir;
    WriteFile(dir / "t.dbf", Table40);
    ProcessOptions options = In(dir, "t.dbf\n");
    options.stdinNonBlockingLater = true;
    ExpectSilentExit(Tool::Get().Run({}, options), 0);
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(Table40));
}

TEST(OpenFailure, EndsSilentlyWithTwoAndChangesNothing) {
    TempDir dir;
    ExpectSilentExit(Tool::Get().Run({"missing.dbf"}, In(dir)), 2);
    EXPECT_FALSE(Exists(dir / "missing.dbf")) << "no file is created";
    ExpectSilentExit(Tool::Get().Run({"nodir/t.dbf"}, In(dir)), 2);

    ASSERT_EQ(mkdir((dir / "folder.dbf").c_str(), 0755), 0);
    ExpectSilentExit(Tool::Get().Run({"folder.dbf"}, In(dir)), 2);
}

TEST(OpenFailure, AReadOnlyTableIsNotWritten) {
    TempDir dir;
    WriteFile(dir / "ro.dbf", Table40);
    ASSERT_EQ(chmod((dir / "ro.dbf").c_str(), 0444), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const ProcessResult result = Tool::Get().RunUnprivileged({"ro.dbf"}, In(dir));
    if (result.exitCode == 127 || result.err.find("setpriv") != std::string::npos) {
        GTEST_SKIP() << "cannot drop the right to override permissions here: " << result.err;
    }
    ExpectSilentExit(result, 2);
    EXPECT_EQ(ReadFile(dir / "ro.dbf"), Table40);
}

TEST(OpenFailure, OnlyRegularFilesAreStamped) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "devices and sockets are POSIX objects";
    TempDir dir;
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    const Descriptor sock(socket(AF_UNIX, SOCK_STREAM, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string sockPath = dir / "sock";
    std::strncpy(address.sun_path, sockPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(sock.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    for (const std::string& target : {dir / "fifo", sockPath, std::string("/dev/null"), std::string("/dev/zero")}) {
        ProcessOptions options = In(dir);
        options.timeoutMs = 5000;
        ExpectSilentExit(Tool::Get().Run({target}, options), 2);
    }
}

TEST(IoFailure, AWritePastTheFileSizeLimitIsReported) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "Wine's file server is not under the child's limit";
    TempDir dir;
    WriteFile(dir / "t.dbf", "abc");
    ProcessOptions options = In(dir);
    options.fileSizeLimit = 10;
    const std::string first = ExpectReport(Tool::Get().Run({"t.dbf"}, options), "I/O error 223.");
    EXPECT_EQ(ReadFile(dir / "t.dbf"), "abc");
    // The same check names the same place on every run.
    EXPECT_EQ(ExpectReport(Tool::Get().Run({"t.dbf"}, options), "I/O error 223."), first);
}

TEST(IoFailure, AFullFileSystemIsReported) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
    TempDir dir;
    const std::string mnt = dir / "full";
    ASSERT_EQ(mkdir(mnt.c_str(), 0755), 0);
    if (mount("cpmark-test", mnt.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    WriteFile(mnt + "/t.dbf", "");
    {
        // Fill what is left.
        const Descriptor fd(open((mnt + "/filler").c_str(), O_WRONLY | O_CREAT, 0644));
        const std::string block(4096, 'f');
        for (ssize_t n = 1; n > 0;) n = write(fd.get(), block.data(), block.size());
    }
    ProcessOptions options = In(dir);
    options.workDir = mnt;
    const ProcessResult result = Tool::Get().Run({"t.dbf"}, options);
    umount2(mnt.c_str(), MNT_DETACH);
    ExpectReport(result, "I/O error 112.");
}

TEST(IoFailure, StandardInputThatCannotBeReadIsReported) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "the Windows program's standard input is covered by the Wine tests";
    TempDir dir;
    const std::string closedSite = ExpectReport(Tool::Get().Run({}, In(dir, std::nullopt)), "I/O error 104.");
    ProcessOptions fromDirectory = In(dir);
    fromDirectory.stdinPath = dir.path();
    const std::string directorySite = ExpectReport(Tool::Get().Run({}, fromDirectory), "I/O error 1.");
    EXPECT_EQ(closedSite, directorySite) << "both failed at the read of standard input";

    // A different check names a different place.
    WriteFile(dir / "t.dbf", "");
    ProcessOptions limited = In(dir);
    limited.fileSizeLimit = 10;
    EXPECT_NE(ExpectReport(Tool::Get().Run({"t.dbf"}, limited), "I/O error 223."), closedSite);
}

TEST(StandardStreams, StandardInputIsNotReadWhenANameIsGiven) {
    TempDir dir;
    WriteFile(dir / "t.dbf", Table40);
    ExpectSilentExit(Tool::Get().Run({"t.dbf"}, In(dir, std::nullopt)), 0);
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(Table40));
}

TEST(StandardStreams, AClosedOrBrokenStandardOutputStillEndsWithOne) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "uses the file-size limit";
    for (const bool closed : {true, false}) {
        TempDir dir;
        WriteFile(dir / "t.dbf", "abc");
        ProcessOptions options = In(dir);
        options.closeStdout = closed;
        options.brokenStdout = !closed;
        options.fileSizeLimit = 10;
        ExpectSilentExit(Tool::Get().Run({"t.dbf"}, options), 1);
        EXPECT_EQ(ReadFile(dir / "t.dbf"), "abc");
    }
}

TEST(StandardStreams, TheTableNeverTakesTheDescriptorOfAStandardStream) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "POSIX descriptors";
    if (RunProcess({"strace", "-V"}).exitCode != 0) GTEST_SKIP() << "strace is not installed";
    // With a standard stream closed, the table would be opened as that
    // descriptor, and a report written to standard output would land in it.
    // The system calls show which descriptor the mark is written through.
    struct Case {
        bool closeStdin;
        bool closeStdout;
    };
    for (const Case c : {Case{true, false}, Case{false, true}, Case{true, true}}) {
        TempDir dir;
        WriteFile(dir / "t.dbf", Table40);
        ProcessOptions options = In(dir, c.closeStdin ? std::nullopt : std::optional<std::string>(""));
        options.closeStdout = c.closeStdout;
        const std::string trace = dir / "trace";
        const ProcessResult result = RunProcess(
            // A sanitized build's leak check cannot run under ptrace.
            {"env", "ASAN_OPTIONS=detect_leaks=0", "strace", "-qq", "-e", "trace=write,pwrite64", "-e", "signal=none",
             "-o", trace, Tool::Get().binary, "t.dbf"},
            options);
        ExpectSilentExit(result, 0);
        EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(Table40));
        const std::string calls = ReadFile(trace);
        std::smatch match;
        ASSERT_TRUE(std::regex_search(calls, match, std::regex("write\\((\\d+), \"\\\\311\", 1\\)\\s*= 1"))) << calls;
        EXPECT_GT(std::stoi(match[1]), 2) << calls;
    }
}

TEST(StandardStreams, AFailureWithStandardStreamsClosedLeavesTheTable) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "uses the file-size limit";
    TempDir dir;
    WriteFile(dir / "t.dbf", "abc");
    ProcessOptions options = In(dir, std::nullopt);
    options.closeStdout = true;
    options.fileSizeLimit = 10;
    ExpectSilentExit(Tool::Get().Run({"t.dbf"}, options), 1);
    EXPECT_EQ(ReadFile(dir / "t.dbf"), "abc");
}

TEST(StandardStreams, AnInterruptWhileWaitingForTheNameEndsTheRun) {
    if (Tool::Get().UnderWine()) GTEST_SKIP() << "a POSIX signal";
    TempDir dir;
    WriteFile(dir / "t.dbf", Table40);
    ProcessOptions options = In(dir);
    options.interruptAfterMs = 300;
    options.timeoutMs = 10000;
    const ProcessResult result = Tool::Get().Run({}, options);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.signal, SIGINT);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Table40);
}

}  // namespace
