// Collecting one line of standard input from the reads that deliver it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The line is every byte before the first LF. A CR is never part of it: one
// that ends the line (CR LF) and one on its own are both dropped. A Ctrl-Z
// that is the first byte of a read ends the input there; anywhere else it is
// an ordinary byte. End of input ends the line. Nothing is trimmed.
//
// Memory stays bounded however long the line is: at most `keepLimit` bytes of
// it are kept, and the rest is read on to the line end and dropped.
class LineReader {
public:
    explicit LineReader(std::size_t keepLimit) : keepLimit_(keepLimit) {}

    // Takes the bytes of one read; an empty read is the end of the input.
    // Gives false once the line is complete and nothing more is wanted.
    bool Take(std::string_view read);

    [[nodiscard]] const std::string& Line() const { return line_; }

    // True when the line had more than `keepLimit` bytes.
    [[nodiscard]] bool Truncated() const { return truncated_; }

private:
    std::size_t keepLimit_;
    std::string line_;
    bool truncated_ = false;
};
