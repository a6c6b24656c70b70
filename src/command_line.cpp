#include "command_line.hpp"

// The rules:
// - a zero byte ends the line; bytes 1 to 32 separate arguments;
// - where an argument would begin, separators and pairs of double quotes are
//   skipped, so an argument of nothing but quote pairs is no argument;
// - inside an argument a double quote opens a stretch that runs to the next
//   double quote (or the end of the line) and is taken whole, separators
//   included; the quotes themselves are dropped, and the argument goes on
//   after the stretch while the next byte is above 32;
// - there is no escape: a literal double quote cannot be passed, and
//   backslashes and apostrophes are ordinary characters.

namespace {

bool IsSeparator(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= 32;
}

bool IsArgumentChar(char c) {
    return static_cast<unsigned char>(c) > 32;
}

// Cuts the argument that begins at or after `p` into `argument` and gives the
// position after it.
const char* CutArgument(const char* p, CharStepper next, std::string& argument) {
    argument.clear();
    for (;;) {
        while (IsSeparator(*p)) p = next(p);
        if (p[0] != '"' || p[1] != '"') break;
        p += 2;
    }
    auto take = [&](const char* from) {
        const char* to = next(from);
        argument.append(from, to);
        return to;
    };
    while (IsArgumentChar(*p)) {
        if (*p != '"') {
            p = take(p);
            continue;
        }
        p = next(p);
        while (*p != '\0' && *p != '"') p = take(p);
        if (*p == '"') p = next(p);
    }
    return p;
}

}  // namespace

const char* NextByte(const char* p) {
    return *p == '\0' ? p : p + 1;
}

std::string CommandLineArgument1(const char* commandLine, CharStepper next) {
    std::string argument;
    const char* p = CutArgument(commandLine, next, argument);  // argument 0, the program
    CutArgument(p, next, argument);
    return argument;
}
