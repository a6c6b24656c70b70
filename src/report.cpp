#include "report.hpp"

#include <algorithm>
#include <charconv>

namespace {

// Appends to a fixed buffer, dropping what does not fit.
struct Appender {
    std::span<char> out;
    std::size_t size = 0;

    void Add(std::string_view text) {
        const std::size_t n = std::min(text.size(), out.size() - size);
        std::copy_n(text.data(), n, out.data() + size);
        size += n;
    }
    [[nodiscard]] std::string_view Text() const { return {out.data(), size}; }
};

}  // namespace

std::string_view IoErrorMessage(std::int32_t code, std::span<char, MessageCapacity> out) {
    switch (code) {
        case 2: return "File not found";
        case 3: return "Invalid filename";
        case 4: return "Too many open files";
        case 5: return "File access denied";
        case 100: return "Read beyond end of file";
        case 101: return "Disk full";
        case 106: return "Invalid numeric input";
        default: break;
    }
    Appender text{out};
    text.Add("I/O error ");
    std::array<char, 12> digits{};
    auto* const end = std::to_chars(digits.data(), digits.data() + digits.size(), code).ptr;
    text.Add({digits.data(), end});
    return text.Text();
}

std::string_view BaseName(std::string_view path, std::string_view separators, std::span<char> out) {
    path.remove_prefix(path.find_last_of(separators) + 1);  // npos + 1 is 0: no directory
    Appender name{out};
    name.Add(path);
    return name.Text();
}

std::string_view FormatReport(std::span<char, ReportCapacity> out, std::string_view className, std::string_view module,
                              std::uint32_t offset, std::string_view message) {
    std::array<char, 8> hex{};
    for (std::size_t i = hex.size(); i-- > 0; offset >>= 4) hex[i] = "0123456789ABCDEF"[offset & 0xF];

    Appender text{out};
    text.Add("Exception ");
    text.Add(className);
    text.Add(" in module ");
    text.Add(module.substr(0, MaxModuleName));
    text.Add(" at ");
    text.Add({hex.data(), hex.size()});
    text.Add(".\n");
    text.Add(message);
    if (!message.empty() && message.back() != '.') text.Add(".");
    return text.Text();
}
