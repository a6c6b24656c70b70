// The operations the stamping run takes from the operating system. Each
// platform implements them in its own file; tests substitute a fake.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The outcome of an operation: 0 for success, otherwise a Win32 error code
// (every platform speaks this one vocabulary, so messages mean the same
// everywhere) or one of the two codes below.
using IoResult = std::int32_t;
inline constexpr IoResult IoShortWrite = 101;        // the write transferred fewer bytes than asked
inline constexpr IoResult IoStdinUnavailable = 104;  // standard input cannot be read from

// A platform's file handle or descriptor, held by the run between open and close.
using FileHandle = std::intptr_t;

struct ReadResult {
    IoResult result;
    std::size_t count;  // bytes delivered; 0 with result 0 is the end of input
};

struct OpenResult {
    IoResult result;
    FileHandle file;
};

struct Platform {
    // Argument 1 of the command line, "" when there is none.
    virtual std::string Argument1() = 0;

    // The longest name the open accepts.
    virtual std::size_t MaxNameLength() = 0;

    // One read of standard input into `buffer`.
    virtual ReadResult ReadStdin(std::span<char> buffer) = 0;

    // Opens the existing file `name` (cut at its first zero byte) for reading
    // and writing, without creating or truncating it. Anything but a regular
    // file, and a name longer than MaxNameLength(), fail to open.
    virtual OpenResult Open(const std::string& name) = 0;

    virtual IoResult Seek(FileHandle file, std::uint64_t position) = 0;
    virtual IoResult WriteByte(FileHandle file, std::uint8_t byte) = 0;
    virtual IoResult Size(FileHandle file, std::uint64_t& size) = 0;
    virtual IoResult Close(FileHandle file) = 0;

    // The running program's file name without its directory, in `out`.
    virtual std::string_view ModuleName(std::span<char> out) = 0;

    // The offset of a code address from the start of the program's loaded image.
    virtual std::uint32_t ImageOffset(const void* address) = 0;

    // Writes all of `text` to standard output; a failure is ignored, since
    // nothing is left to report it to.
    virtual void WriteStdout(std::string_view text) = 0;

protected:
    ~Platform() = default;
};

// Sets the process up and gives this platform's operations.
Platform& StartPlatform(int argc, char** argv);

// Ends the process with `code`.
[[noreturn]] void ExitProcessWith(int code);
