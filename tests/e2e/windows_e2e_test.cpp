// What only the Windows program can show: the raw command line cut by its own
// rules, a missing standard input handle, sharing modes and device names.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "fixtures.hpp"

namespace {

std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (const char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        hex += pair;
    }
    return hex;
}

class Windows : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Tool::Get().UnderWine()) GTEST_SKIP() << "only the Windows program";
    }
};

TEST_F(Windows, TheRawCommandLineIsCutByItsOwnRules) {
    struct Case {
        std::string commandLine;
        std::string input;    // on standard input
        std::string stamped;  // "" when nothing is
        int exitCode;
    };
    const Case cases[] = {
        {"cpmark t.dbf", "", "t.dbf", 0},
        {"\"cpmark\" t.dbf", "", "t.dbf", 0},
        {"cpmark t.dbf my", "", "t.dbf", 0},
        {"cpmark \"\" t.dbf", "", "t.dbf", 0},     // a bare pair of quotes before a name
        {"cpmark \"\"", "t.dbf\r\n", "t.dbf", 0},  // a bare pair alone: the name is read
        {"cpmark \"\"", "", "", 1},
        {"cpmark \"my table.dbf\"", "", "my table.dbf", 0},
        {"cpmark my table.dbf", "", "my", 0},
        {"cpmark \"a\"b", "", "ab", 0},  // pieces join
        {"cpmark a\"b c\"d", "", "ab cd", 0},
        {"cpmark t\"\".dbf", "", "t.dbf", 0},  // a doubled quote is an empty stretch
        {"cpmark\tt.dbf", "", "t.dbf", 0},     // tab and other control bytes separate
        {"cpmark\x01t.dbf\x1Fmy", "", "t.dbf", 0},
        {"cpmark \"t.dbf", "", "t.dbf", 0},         // an unclosed quote runs to the end
        {"cpmark dir\\t.dbf", "", "dir/t.dbf", 0},  // a backslash is an ordinary character
        {"cpmark \\\"t.dbf\\\"", "", "", 2},        // no escapes: the backslashes stay in the name
        {"cpmark 'my table.dbf'", "", "", 2},       // nor apostrophes: the name is 'my
    };
    const std::string names[] = {"t.dbf", "my table.dbf", "my", "ab", "ab cd", "dir/t.dbf"};
    for (const Case& c : cases) {
        TempDir dir;
        ASSERT_EQ(mkdir((dir / "dir").c_str(), 0755), 0);
        for (const std::string& name : names) WriteFile(dir / name, Table40);
        ProcessOptions options;
        options.workDir = dir.path();
        options.stdinBytes = c.input;
        const ProcessResult result =
            Tool::Get().RunHelper({"run", WindowsPath(Tool::Get().binary), Hex(c.commandLine)}, options);
        EXPECT_EQ(result.exitCode, c.exitCode) << "command line [" << c.commandLine << "]";
        EXPECT_EQ(result.out, "") << "command line [" << c.commandLine << "]";
        EXPECT_EQ(result.err, "") << "command line [" << c.commandLine << "]";
        for (const std::string& name : names) {
            EXPECT_EQ(ReadFile(dir / name), name == c.stamped ? Stamped(Table40) : Table40)
                << name << " after command line [" << c.commandLine << "]";
        }
    }
}

TEST_F(Windows, NoStandardInputHandleIsReported) {
    TempDir dir;
    ProcessOptions options;
    options.workDir = dir.path();
    const ProcessResult result =
        Tool::Get().RunHelper({"run-no-stdin", WindowsPath(Tool::Get().binary), Hex("cpmark")}, options);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out.starts_with("Exception EInOutError in module cpmark.exe at ")) << result.out;
    // Windows hands the child INVALID_HANDLE_VALUE (104); Wine hands it a
    // null handle, which ReadFile refuses as ERROR_INVALID_HANDLE (6).
    EXPECT_TRUE(result.out.ends_with(".\nI/O error 104.\r\n") || result.out.ends_with(".\nI/O error 6.\r\n"))
        << result.out;
}

TEST_F(Windows, ATableHeldWithoutSharingFailsToOpen) {
    TempDir dir;
    WriteFile(dir / "t.dbf", Table40);
    ProcessOptions options;
    options.workDir = dir.path();
    const ProcessResult result =
        Tool::Get().RunHelper({"hold", "t.dbf", WindowsPath(Tool::Get().binary), Hex("cpmark t.dbf")}, options);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Table40);
}

TEST_F(Windows, DevicesAreNotStamped) {
    TempDir dir;
    ProcessOptions options;
    options.workDir = dir.path();
    for (const std::string device : {"NUL", "nul.dbf", "\\\\.\\NUL"}) {
        const ProcessResult result = Tool::Get().Run({device}, options);
        EXPECT_EQ(result.exitCode, 2) << device;
        EXPECT_EQ(result.out, "") << device;
        EXPECT_EQ(result.err, "") << device;
    }
}

}  // namespace
