// What the end-to-end tests share: the program under test and scratch files.
#pragma once

#include <string>
#include <vector>

#include "process.hpp"

// The program under test: CPMARK_BINARY, started through CPMARK_LAUNCHER
// (blank-separated, e.g. "wine") when that is set.
struct Tool {
    std::string binary;
    std::vector<std::string> launcher;

    static const Tool& Get();
    bool UnderWine() const { return !launcher.empty(); }
    // The module name the report gives: the program's file name.
    std::string ModuleName() const;

    ProcessResult Run(const std::vector<std::string>& args, const ProcessOptions& options = {}) const;
    // The same, without the right to override file permissions even as root.
    ProcessResult RunUnprivileged(const std::vector<std::string>& args, const ProcessOptions& options = {}) const;
};

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

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// `bytes` with byte 29 set to 0xC9, zero-filled up to it when shorter.
std::string Stamped(std::string bytes);

// A small table: a dBase III header for one 20-character field and two records.
std::string SampleTable();
