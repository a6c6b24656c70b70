// What the end-to-end tests share: the program under test and scratch files.
#pragma once

#include <string>
#include <vector>

#include "process.hpp"

// The program under test, as the file named by CPMARK_E2E_CONFIG describes
// it, one key=value a line: binary= the program; launcher= each word of the
// command that starts it (none: run directly); helper= the Windows test
// helper. Without that file, CPMARK_BINARY names the program.
struct Tool {
    std::string binary;
    std::vector<std::string> launcher;
    std::string helper;

    static const Tool& Get();
    bool UnderWine() const { return !launcher.empty(); }
    // The module name the report gives: the program's file name.
    std::string ModuleName() const;

    ProcessResult Run(const std::vector<std::string>& args, const ProcessOptions& options = {}) const;
    // The same, without the right to override file permissions even as root.
    ProcessResult RunUnprivileged(const std::vector<std::string>& args, const ProcessOptions& options = {}) const;
    // Runs the Windows helper with `args` (see tests/wine/win_helper.cpp).
    ProcessResult RunHelper(const std::vector<std::string>& args, const ProcessOptions& options = {}) const;
};

// The Windows name of a file, through Wine's drive Z: for the root.
std::string WindowsPath(const std::string& path);

// A directory removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A descriptor closed at the end of its scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Options for a run in `dir`, with these bytes on standard input (nullopt:
// standard input closed).
ProcessOptions In(const TempDir& dir, std::optional<std::string> stdinBytes = std::string());

// The run ended by itself with `code`, and wrote nothing to standard error.
void ExpectExit(const ProcessResult& result, int code);
// The same, and wrote nothing to standard output either.
void ExpectSilentExit(const ProcessResult& result, int code);
// The run ended with exit code 1 and the report carrying `message`; gives the
// place of the failed check that the report names.
std::string ExpectReport(const ProcessResult& result, const std::string& message);

// A table of 40 bytes, none of them 0xC9.
inline const std::string Table40(40, '\x11');

// `bytes` with byte 29 set to 0xC9, zero-filled up to it when shorter.
std::string Stamped(std::string bytes);

// A small table: a dBase III header for one 20-character field and two records.
std::string SampleTable();
