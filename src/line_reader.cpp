#include "line_reader.hpp"

namespace {
constexpr char LineFeed = '\n';
constexpr char CarriageReturn = '\r';
constexpr char CtrlZ = '\x1A';
}  // namespace

bool LineReader::Take(std::string_view read) {
    if (read.empty() || read.front() == CtrlZ) return false;
    for (const char c : read) {  // NOLINT(readability-use-anyofallof): it collects as it looks
        if (c == LineFeed) return false;
        if (c == CarriageReturn) continue;
        if (line_.size() < keepLimit_) {
            line_.push_back(c);
        } else {
            truncated_ = true;
        }
    }
    return true;
}
