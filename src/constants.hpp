// The run's constants: the mark it writes and the exit codes it ends with.
#pragma once

#include <cstddef>
#include <cstdint>

// Byte 29 of a dBase table header is its language-driver mark; 0xC9 names
// Windows code page 1251 (Cyrillic).
inline constexpr std::uint64_t MarkOffset = 29;
inline constexpr std::uint8_t MarkValue = 0xC9;

// Standard input is read through a buffer of this size, one read at a time.
inline constexpr std::size_t StdinBufferSize = 128;

inline constexpr int ExitDone = 0;        // the mark was written and the file closed
inline constexpr int ExitNoName = 1;      // no name on the command line nor on standard input
inline constexpr int ExitIoFailure = 1;   // an I/O failure after the open; the report was printed
inline constexpr int ExitOpenFailed = 2;  // the target could not be opened as a table
