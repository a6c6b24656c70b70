#include "stamp.hpp"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "fake_platform.hpp"

namespace {

using Calls = std::vector<std::string>;

const Calls TypicalRoad = {"Open(t.dbf)", "Seek(29)", "WriteByte(201)", "Size()", "Seek(40)", "Close()"};

std::string Stamped(std::string table) {
    if (table.size() < 30) table.resize(30, '\0');
    table[29] = '\xC9';
    return table;
}

TEST(Stamp, TypicalRoadWithTheNameAsArgument) {
    FakePlatform os;
    os.argument1 = "t.dbf";
    const std::string before = os.table;
    EXPECT_EQ(RunStamp(os), 0);
    EXPECT_EQ(os.calls, TypicalRoad);
    EXPECT_EQ(os.table, Stamped(before));
    EXPECT_EQ(os.output, "");
}

TEST(Stamp, ShortAndEmptyTablesGrowToThirtyBytes) {
    for (const std::string& before : {std::string(), std::string("abc"), std::string(29, 'y')}) {
        FakePlatform os;
        os.argument1 = "t.dbf";
        os.table = before;
        EXPECT_EQ(RunStamp(os), 0);
        // The size is taken after the write, so the move to the end goes to 30.
        EXPECT_EQ(os.calls, (Calls{"Open(t.dbf)", "Seek(29)", "WriteByte(201)", "Size()", "Seek(30)", "Close()"}));
        EXPECT_EQ(os.table, Stamped(before));
    }
}

TEST(Stamp, AMarkAlreadyThereIsWrittenAgain) {
    FakePlatform os;
    os.argument1 = "t.dbf";
    os.table = Stamped(os.table);
    EXPECT_EQ(RunStamp(os), 0);
    EXPECT_EQ(os.calls, TypicalRoad);
}

TEST(Stamp, NameFromStandardInput) {
    struct Case {
        std::vector<std::string> reads;
        Calls calls;
    };
    const Case cases[] = {
        {{"t.dbf\r\nother.dbf\r\n"}, {"ReadStdin(128)", "Open(t.dbf)"}},
        {{"t.d", "bf\n"}, {"ReadStdin(128)", "ReadStdin(128)", "Open(t.dbf)"}},
        {{"t.dbf"}, {"ReadStdin(128)", "ReadStdin(128)", "Open(t.dbf)"}},
        {{"   \n"}, {"ReadStdin(128)", "Open(   )"}},
        {{" t.dbf \n"}, {"ReadStdin(128)", "Open( t.dbf )"}},
        {{std::string("\0t.dbf\n", 7)}, {"ReadStdin(128)", "Open(" + std::string("\0t.dbf", 6) + ")"}},
    };
    for (const Case& c : cases) {
        FakePlatform os;
        os.stdinReads = c.reads;
        const int code = RunStamp(os);
        ASSERT_GE(os.calls.size(), c.calls.size());
        EXPECT_EQ(Calls(os.calls.begin(), os.calls.begin() + static_cast<long>(c.calls.size())), c.calls);
        EXPECT_EQ(code, os.calls.back() == "Close()" ? 0 : 2);
        EXPECT_EQ(os.output, "");
    }
}

TEST(Stamp, NoNameEndsWithOneAndPrintsNothing) {
    const std::vector<std::vector<std::string>> inputs = {{}, {"\n"}, {"\r\n"}, {"\x1At.dbf\n"}, {"\r"}};
    for (const auto& reads : inputs) {
        FakePlatform os;
        os.stdinReads = reads;
        EXPECT_EQ(RunStamp(os), 1);
        EXPECT_EQ(os.calls.front(), "ReadStdin(128)");
        EXPECT_EQ(os.calls.back(), "ReadStdin(128)");  // nothing is opened
        EXPECT_EQ(os.output, "");
    }
}

TEST(Stamp, OpenFailureEndsWithTwoAndNothingAfterIt) {
    for (const IoResult code : {2, 3, 5, 32, 123}) {
        FakePlatform os;
        os.argument1 = "t.dbf";
        os.failAt = 1;
        os.failCode = code;
        const std::string before = os.table;
        EXPECT_EQ(RunStamp(os), 2);
        EXPECT_EQ(os.calls, Calls{"Open(t.dbf)"});
        EXPECT_EQ(os.output, "");
        EXPECT_EQ(os.table, before);
    }
    FakePlatform missing;
    missing.argument1 = "missing.dbf";
    EXPECT_EQ(RunStamp(missing), 2);
}

TEST(Stamp, OverLongNameFromStandardInputIsRefusedAtTheOpen) {
    FakePlatform os;
    os.maxNameLength = 10;
    os.existingName = std::string(11, 'n');  // would be opened if the name were cut short
    os.stdinReads = {std::string(128, 'n'), std::string(128, 'n'), "nn\nt.dbf\n"};
    EXPECT_EQ(RunStamp(os), 2);
    EXPECT_EQ(os.calls,
              (Calls{"ReadStdin(128)", "ReadStdin(128)", "ReadStdin(128)", "Open(" + std::string(11, 'n') + ")"}));
}

TEST(Stamp, NameOfTheLongestLengthIsWhole) {
    FakePlatform os;
    os.maxNameLength = 10;
    os.existingName = std::string(10, 'n');
    os.stdinReads = {std::string(10, 'n') + "\n"};
    EXPECT_EQ(RunStamp(os), 0);
}

struct FailureCase {
    std::string argument1;
    std::size_t failAt;
    IoResult code;
    std::string message;
};

TEST(Stamp, FailureAtEachCheckIsReportedAndEndsTheRun) {
    const FailureCase cases[] = {
        {"", 1, 104, "I/O error 104."},  // standard input cannot be read
        {"", 1, 6, "I/O error 6."},
        {"t.dbf", 2, 32, "I/O error 32."},       // the move to byte 29
        {"t.dbf", 3, 5, "File access denied."},  // the write
        {"t.dbf", 3, 33, "I/O error 33."},       // a lock held over byte 29
        {"t.dbf", 3, 112, "I/O error 112."},
        {"t.dbf", 3, 101, "Disk full."},
        {"t.dbf", 4, 1117, "I/O error 1117."},  // the size
        {"t.dbf", 5, 87, "I/O error 87."},      // the move to the end
        {"t.dbf", 6, 2, "File not found."},     // the close
    };
    std::set<std::uint32_t> sites;
    std::set<std::size_t> checks;
    const std::regex report("Exception EInOutError in module cpmark\\.exe at ([0-9A-F]{8})\\.\n(.*)\r\n");
    for (const FailureCase& c : cases) {
        FakePlatform os;
        os.argument1 = c.argument1;
        os.stdinReads = {"t.dbf\n"};
        os.failAt = c.failAt;
        os.failCode = c.code;
        EXPECT_EQ(RunStamp(os), 1);
        EXPECT_EQ(os.calls.size(), c.failAt) << "nothing runs after the failed check";
        std::smatch match;
        ASSERT_TRUE(std::regex_match(os.output, match, report)) << os.output;
        EXPECT_EQ(match[2], c.message);
        ASSERT_EQ(os.offsets.size(), 1U);
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08X", os.offsets[0]);
        EXPECT_EQ(match[1], hex);
        // Each check names its own place; repeating a check names the same one.
        if (checks.insert(c.failAt).second) {
            EXPECT_TRUE(sites.insert(os.offsets[0]).second) << "check " << c.failAt;
        } else {
            EXPECT_EQ(sites.count(os.offsets[0]), 1U) << "check " << c.failAt;
        }
    }
    EXPECT_EQ(sites.size(), 6U);
}

TEST(Stamp, FailureAfterTheWriteLeavesTheMark) {
    for (const std::size_t failAt : {std::size_t{4}, std::size_t{5}, std::size_t{6}}) {
        FakePlatform os;
        os.argument1 = "t.dbf";
        const std::string before = os.table;
        os.failAt = failAt;
        os.failCode = 31;
        EXPECT_EQ(RunStamp(os), 1);
        EXPECT_EQ(os.table, Stamped(before));
    }
}

TEST(Stamp, FailureBeforeTheWriteLeavesTheTable) {
    FakePlatform os;
    os.argument1 = "t.dbf";
    const std::string before = os.table;
    os.failAt = 2;
    os.failCode = 31;
    EXPECT_EQ(RunStamp(os), 1);
    EXPECT_EQ(os.table, before);
}

struct OutOfMemoryPlatform final : Platform {
    std::string output;
    std::string Argument1() override { throw std::bad_alloc(); }
    std::size_t MaxNameLength() override { return 259; }
    ReadResult ReadStdin(std::span<char>) override { return {0, 0}; }
    OpenResult Open(const std::string&) override { return {2, -1}; }
    IoResult Seek(FileHandle, std::uint64_t) override { return 0; }
    IoResult WriteByte(FileHandle, std::uint8_t) override { return 0; }
    IoResult Size(FileHandle, std::uint64_t&) override { return 0; }
    IoResult Close(FileHandle) override { return 0; }
    std::string_view ModuleName(std::span<char> out) override {
        out[0] = 'm';
        return {out.data(), 1};
    }
    std::uint32_t ImageOffset(const void*) override { return 0x1234; }
    void WriteStdout(std::string_view text) override { output += text; }
};

TEST(Stamp, OutOfMemoryIsReported) {
    OutOfMemoryPlatform os;
    EXPECT_EQ(RunStamp(os), 1);
    EXPECT_EQ(os.output, "Exception EOutOfMemory in module m at 00001234.\nOut of memory.\r\n");
}

}  // namespace
