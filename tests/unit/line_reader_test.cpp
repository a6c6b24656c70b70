#include "line_reader.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::vector<std::string> reads;  // what each read delivers; end of input after them
    std::string line;
    std::size_t readsTaken;  // reads used, the end of input counted as one
};

// Feeds the reads as the run does, until the reader wants no more.
std::pair<std::string, std::size_t> ReadLine(const std::vector<std::string>& reads, std::size_t keepLimit = 1000) {
    LineReader reader(keepLimit);
    std::size_t taken = 0;
    for (;;) {
        const std::string read = taken < reads.size() ? reads[taken] : "";
        ++taken;
        if (!reader.Take(read)) break;
    }
    return {reader.Line(), taken};
}

void ExpectLines(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const auto [line, taken] = ReadLine(c.reads);
        std::string shown;
        for (const std::string& read : c.reads) shown += "[" + read + "]";
        EXPECT_EQ(line, c.line) << "reads " << shown;
        EXPECT_EQ(taken, c.readsTaken) << "reads " << shown;
    }
}

const std::string CR = "\r";
const std::string LF = "\n";
const std::string CtrlZ = "\x1A";

TEST(LineReader, LineEnds) {
    ExpectLines({
        {{"abc" + LF + "def" + LF}, "abc", 1},
        {{"abc" + CR + LF + "def" + CR + LF}, "abc", 1},
        {{LF + "abc"}, "", 1},
        {{CR + LF}, "", 1},
        {{"abc"}, "abc", 2},                    // a last line without a line end is taken whole
        {{"a" + CR + "b" + CR + LF}, "ab", 1},  // a lone CR is dropped
        {{"a" + CR + CR + LF}, "a", 1},
        {{"abc" + CR}, "abc", 2},  // a CR just before the end of input
        {{"ab", "c" + LF}, "abc", 2},
    });
}

TEST(LineReader, LineEndAcrossReads) {
    const std::string first = std::string(127, 'n') + CR;  // a full 128-byte read ending in CR
    ExpectLines({
        {{first, LF + "next"}, std::string(127, 'n'), 2},
        {{first, "x" + LF}, std::string(127, 'n') + "x", 2},
        {{"abc" + CR, LF}, "abc", 2},
    });
}

TEST(LineReader, EndOfInput) {
    ExpectLines({
        {{}, "", 1},
        {{"partial"}, "partial", 2},
    });
}

TEST(LineReader, CtrlZEndsTheInputOnlyAsTheFirstByteOfARead) {
    ExpectLines({
        {{CtrlZ + "abc" + LF}, "", 1},
        {{"abc", CtrlZ + "def" + LF}, "abc", 2},
        {{"ab" + CtrlZ + "c" + LF}, "ab" + CtrlZ + "c", 1},
        {{"abc" + CtrlZ}, "abc" + CtrlZ, 2},
    });
}

TEST(LineReader, NothingIsTrimmed) {
    ExpectLines({
        {{"   " + LF}, "   ", 1},
        {{"  t.dbf\t " + LF}, "  t.dbf\t ", 1},
        {{std::string("\0abc\n", 5)}, std::string("\0abc", 4), 1},
        {{std::string("a\0\x01\x1B.\n", 6)}, std::string("a\0\x01\x1B.", 5), 1},
    });
}

TEST(LineReader, KeepsAtMostTheLimitAndReadsOnToTheLineEnd) {
    const std::vector<std::string> reads(100, std::string(128, 'x'));
    std::vector<std::string> withEnd = reads;
    withEnd.push_back("yy" + LF + "zz");

    LineReader reader(300);
    std::size_t taken = 0;
    while (taken < withEnd.size() && reader.Take(withEnd[taken])) ++taken;
    EXPECT_EQ(taken, withEnd.size() - 1);  // stopped at the read holding the LF
    EXPECT_EQ(reader.Line(), std::string(300, 'x'));
    EXPECT_TRUE(reader.Truncated());

    const auto [line, readsTaken] = ReadLine(reads, 300);
    EXPECT_EQ(line, std::string(300, 'x'));
    EXPECT_EQ(readsTaken, reads.size() + 1);
}

TEST(LineReader, ALineOfExactlyTheLimitIsWhole) {
    LineReader reader(5);
    EXPECT_FALSE(reader.Take("abcde" + LF));
    EXPECT_EQ(reader.Line(), "abcde");
    EXPECT_FALSE(reader.Truncated());

    LineReader over(5);
    EXPECT_FALSE(over.Take("abcdef" + LF));
    EXPECT_EQ(over.Line(), "abcde");
    EXPECT_TRUE(over.Truncated());
}

}  // namespace
