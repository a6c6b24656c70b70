#include "command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::string commandLine;  // a zero byte may stand inside; the cutter stops there
    std::string argument1;
};

void ExpectArgument1(const std::vector<Case>& cases, CharStepper next = NextByte) {
    for (const Case& c : cases) {
        EXPECT_EQ(CommandLineArgument1(c.commandLine.c_str(), next), c.argument1)
            << "command line [" << c.commandLine << "]";
    }
}

// Shift-JIS-like: bytes 0x81 to 0x9F and 0xE0 to 0xFC lead a two-byte
// character, as CharNextA steps in such a code page.
const char* NextDoubleByteChar(const char* p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte == 0) return p;
    const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    return lead && p[1] != '\0' ? p + 2 : p + 1;
}

TEST(CommandLine, PlainArguments) {
    ExpectArgument1({
        {"cpmark table.dbf", "table.dbf"},
        {"cpmark table.dbf other.dbf", "table.dbf"},
        {"cpmark    table.dbf   ", "table.dbf"},
        {"cpmark", ""},
        {"cpmark   ", ""},
        {"", ""},
        {"     ", ""},
        {"C:\\Tools\\cpmark.exe D:\\maps\\roads.dbf", "D:\\maps\\roads.dbf"},
        {"cpmark my table.dbf", "my"},
    });
}

TEST(CommandLine, BytesOneToThirtyTwoSeparate) {
    ExpectArgument1({
        {"cpmark\ttable.dbf", "table.dbf"},
        {"cpmark\r\ntable.dbf", "table.dbf"},
        {"cpmark\x01table\x1F.dbf", "table"},
        {"cpmark \x7F\xC0\xFF", "\x7F\xC0\xFF"},  // 127 and above are ordinary
    });
}

TEST(CommandLine, ZeroByteEndsTheLine) {
    ExpectArgument1({
        {std::string("cpmark\0table.dbf", 16), ""},
        {std::string("cpmark ab\0cd", 12), "ab"},
        {std::string("cpmark \"ab\0cd\"", 14), "ab"},
    });
}

TEST(CommandLine, QuotePairsWhereAnArgumentBeginsAreSkipped) {
    ExpectArgument1({
        {"cpmark \"\" table.dbf", "table.dbf"},
        {"cpmark \"\"", ""},
        {"cpmark \"\" \"\" \"\"", ""},
        {"cpmark \"\"\"\"table.dbf", "table.dbf"},
        {"cpmark \"\"table.dbf", "table.dbf"},
        {"\"\" cpmark table.dbf", "table.dbf"},  // argument 0 follows the same rules
    });
}

TEST(CommandLine, QuotedStretches) {
    ExpectArgument1({
        {"cpmark \"my table.dbf\"", "my table.dbf"},
        {"cpmark \"a\"b", "ab"},
        {"cpmark a\"b c\"d", "ab cd"},
        {"cpmark a\"b c\"d e", "ab cd"},
        {"cpmark \"a\"\"b\"", "ab"},
        {"cpmark \"a\" b", "a"},
        {"cpmark \"\tx\"", "\tx"},
        {"cpmark \"unclosed stretch", "unclosed stretch"},
        {"cpmark x\"", "x"},
        {"cpmark \"\"\"", ""},  // a pair skipped, then an empty open stretch
        {"\"C:\\Program Files\\cpmark.exe\" t.dbf", "t.dbf"},
        {"\"C:\\Program Files\\cpmark.exe\"t.dbf", ""},  // argument 0 goes on: C:\Program Files\cpmark.exet.dbf
    });
}

TEST(CommandLine, NoEscapes) {
    ExpectArgument1({
        {"cpmark a\"\"b", "ab"},  // a doubled quote inside an argument is an empty stretch
        {"cpmark \\\"a b\\\"", "\\a b\\"},
        {"cpmark a\\\\\"b c\"", "a\\\\b c"},
        {"cpmark 'my table.dbf'", "'my"},
        {"cpmark \"\"\"\"\"\"", ""},
    });
}

TEST(CommandLine, StepsByCharacterThroughLeadBytes) {
    // 0x94 leads a character whose trail byte is a double quote or a blank:
    // stepped by character, that byte opens no stretch and separates nothing.
    ExpectArgument1(
        {
            {"cpmark \x94\"x.dbf", "\x94\"x.dbf"},
            {"cpmark \"\x94\"\"", "\x94\""},
            {"cpmark \x94 x", "\x94 x"},
            {"cpmark \x94", "\x94"},  // a lead byte just before the end
        },
        NextDoubleByteChar);
    // Stepped by byte, the same lines cut differently.
    ExpectArgument1({
        {"cpmark \x94\"x.dbf", "\x94x.dbf"},
        {"cpmark \x94 x", "\x94"},
    });
}

TEST(CommandLine, NextByteStopsAtTheEnd) {
    const char text[] = "a";
    EXPECT_EQ(NextByte(text), text + 1);
    EXPECT_EQ(NextByte(text + 1), text + 1);
}

}  // namespace
