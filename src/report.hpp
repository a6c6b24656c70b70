// The failure report and the messages it carries. Everything is formatted
// into fixed buffers, so that running out of memory can still be reported.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Longest message: "I/O error -2147483648".
inline constexpr std::size_t MessageCapacity = 32;
// The module name is cut to this many characters.
inline constexpr std::size_t MaxModuleName = 260;
inline constexpr std::size_t ReportCapacity = 512;

// The report ends with a second, separate write of CR LF.
inline constexpr std::string_view ReportTail = "\r\n";

// The message for a non-zero I/O result, written into `out` when it is not one
// of the fixed texts.
std::string_view IoErrorMessage(std::int32_t code, std::span<char, MessageCapacity> out);

// The file name at the end of `path`, after the last of `separators`, copied
// into `out` (and cut to fit it).
std::string_view BaseName(std::string_view path, std::string_view separators, std::span<char> out);

// The report's first write: "Exception <class> in module <module> at
// <offset>." LF "<message>", and a full stop after the message unless it is
// empty or has one already. The offset is 8 upper-case hex digits.
std::string_view FormatReport(std::span<char, ReportCapacity> out, std::string_view className, std::string_view module,
                              std::uint32_t offset, std::string_view message);
