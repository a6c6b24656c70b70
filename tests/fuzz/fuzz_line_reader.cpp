// Fuzzes the line reader: the fuzzer chooses the bound and how the input is
// cut into reads; the line must follow from the bytes alone.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "constants.hpp"
#include "line_reader.hpp"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t keepLimit = provider.ConsumeIntegralInRange<std::size_t>(0, 300);
    std::vector<std::string> reads;
    while (provider.remaining_bytes() > 0) {
        const auto length = provider.ConsumeIntegralInRange<std::size_t>(1, StdinBufferSize);
        reads.push_back(provider.ConsumeBytesAsString(length));
        if (reads.back().empty()) reads.pop_back();
    }

    LineReader reader(keepLimit);
    std::size_t taken = 0;
    for (;;) {
        const std::string read = taken < reads.size() ? reads[taken] : "";
        ++taken;
        if (!reader.Take(read)) break;
    }

    // The input ends at the first read that begins with Ctrl-Z; the line is
    // what precedes the first LF there, with every CR removed.
    std::string input;
    std::size_t readsToLineEnd = reads.size() + 1;  // the end of input counts as a read
    for (std::size_t i = 0; i < reads.size(); ++i) {
        if (reads[i].front() == '\x1A') {
            readsToLineEnd = i + 1;
            break;
        }
        if (reads[i].find('\n') != std::string::npos) {
            input += reads[i];
            readsToLineEnd = i + 1;
            break;
        }
        input += reads[i];
    }
    std::string line;
    for (const char c : input.substr(0, input.find('\n'))) {
        if (c != '\r') line.push_back(c);
    }

    Require(taken == readsToLineEnd);
    Require(reader.Line().size() <= keepLimit);
    Require(reader.Truncated() == (line.size() > keepLimit));
    Require(reader.Line() == line.substr(0, keepLimit));
    return 0;
}
