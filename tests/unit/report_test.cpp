#include "report.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Message(std::int32_t code) {
    std::array<char, MessageCapacity> buffer{};
    return std::string(IoErrorMessage(code, buffer));
}

std::string Report(std::string_view className, std::string_view module, std::uint32_t offset,
                   std::string_view message) {
    std::array<char, ReportCapacity> buffer{};
    return std::string(FormatReport(buffer, className, module, offset, message));
}

TEST(Messages, FixedTextsAndTheFallback) {
    const std::pair<std::int32_t, std::string> cases[] = {
        {2, "File not found"},
        {3, "Invalid filename"},
        {4, "Too many open files"},
        {5, "File access denied"},
        {100, "Read beyond end of file"},
        {101, "Disk full"},
        {106, "Invalid numeric input"},
        {1, "I/O error 1"},
        {6, "I/O error 6"},
        {32, "I/O error 32"},
        {33, "I/O error 33"},
        {104, "I/O error 104"},
        {112, "I/O error 112"},
        {1117, "I/O error 1117"},
        {-1, "I/O error -1"},
        {INT_MIN, "I/O error -2147483648"},
        {INT_MAX, "I/O error 2147483647"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(Message(code), text) << "code " << code;
}

TEST(Report, Format) {
    EXPECT_EQ(Report("EInOutError", "cpmark.exe", 0x0040A1C3, "File access denied"),
              "Exception EInOutError in module cpmark.exe at 0040A1C3.\nFile access denied.");
    EXPECT_EQ(Report("EInOutError", "cpmark", 0x1D, "I/O error 32"),
              "Exception EInOutError in module cpmark at 0000001D.\nI/O error 32.");
    EXPECT_EQ(Report("EOutOfMemory", "cpmark", 0xFFFFFFFF, "Out of memory"),
              "Exception EOutOfMemory in module cpmark at FFFFFFFF.\nOut of memory.");
    EXPECT_EQ(Report("E", "m", 0xABCDEF01, "Already ends."), "Exception E in module m at ABCDEF01.\nAlready ends.");
    EXPECT_EQ(Report("E", "m", 0, ""), "Exception E in module m at 00000000.\n");
}

TEST(Report, BaseNameDropsTheDirectory) {
    const struct {
        std::string_view path, separators, name;
    } cases[] = {
        {"/usr/bin/cpmark", "/", "cpmark"},
        {"cpmark", "/", "cpmark"},
        {"", "/", ""},
        {"/usr/bin/", "/", ""},
        {"Z:\\work\\cpmark.exe", "\\/:", "cpmark.exe"},
        {"C:cpmark.exe", "\\/:", "cpmark.exe"},
        {"a\\b", "/", "a\\b"},  // a backslash is no separator on POSIX
    };
    for (const auto& c : cases) {
        std::array<char, 16> out{};
        EXPECT_EQ(BaseName(c.path, c.separators, out), c.name) << c.path;
    }
    std::array<char, 4> small{};
    EXPECT_EQ(BaseName("/bin/cpmark", "/", small), "cpma");
}

TEST(Report, ModuleNameIsCutTo260Characters) {
    const std::string module(300, 'm');
    EXPECT_EQ(Report("EInOutError", module, 1, "Disk full"),
              "Exception EInOutError in module " + std::string(260, 'm') + " at 00000001.\nDisk full.");
}

}  // namespace
