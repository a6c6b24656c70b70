// Fuzzes the command-line cutter against a separate model of its rules, and
// checks properties that hold for every line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "command_line.hpp"

namespace {

bool IsSeparator(unsigned char c) {
    return c >= 1 && c <= 32;
}

// Argument 1 by a byte-at-a-time state machine, with, for each of its bytes,
// whether it stood inside a quoted stretch.
struct Model {
    std::string argument1;
    std::string quoted;  // 'q' for a byte from inside quotes, '-' otherwise
};

Model Cut(const std::string& line) {
    enum { Between, InArgument, InQuotes } state = Between;
    int argument = -1;
    Model model;
    auto take = [&](char c, bool inQuotes) {
        if (argument != 1) return;
        model.argument1.push_back(c);
        model.quoted.push_back(inQuotes ? 'q' : '-');
    };
    for (std::size_t i = 0; i < line.size() && line[i] != '\0' && argument <= 1; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (state == Between) {
            if (IsSeparator(c)) continue;
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                ++i;
                continue;
            }
            ++argument;
            state = InArgument;
        }
        if (state == InArgument) {
            if (c <= 32) {
                state = Between;
            } else if (c == '"') {
                state = InQuotes;
            } else {
                take(line[i], false);
            }
        } else if (c == '"') {
            state = InArgument;
        } else {
            take(line[i], true);
        }
    }
    return model;
}

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

const char* NextDoubleByteChar(const char* p) {
    if (*p == '\0') return p;
    return IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0' ? p + 2 : p + 1;
}

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);

    const std::string argument1 = CommandLineArgument1(line.c_str(), NextByte);
    const Model model = Cut(line);
    Require(argument1 == model.argument1);
    Require(argument1.find('"') == std::string::npos);
    for (std::size_t i = 0; i < argument1.size(); ++i) {
        if (IsSeparator(static_cast<unsigned char>(argument1[i]))) Require(model.quoted[i] == 'q');
    }

    // Without lead bytes, stepping by character is stepping by byte.
    bool leadBytes = false;
    for (const char c : line) leadBytes = leadBytes || IsLeadByte(static_cast<unsigned char>(c));
    if (!leadBytes) Require(CommandLineArgument1(line.c_str(), NextDoubleByteChar) == argument1);

    // Any quote-free text comes back whole from quotes, and from no quotes
    // when it holds no separator.
    std::string text;
    bool separators = false;
    for (const char c : line) {
        if (c == '"' || c == '\0') continue;
        text.push_back(c);
        separators = separators || IsSeparator(static_cast<unsigned char>(c));
    }
    if (!text.empty()) {
        Require(CommandLineArgument1(("cpmark \"" + text + "\"").c_str(), NextByte) == text);
        if (!separators) Require(CommandLineArgument1(("cpmark " + text).c_str(), NextByte) == text);
    }
    return 0;
}
