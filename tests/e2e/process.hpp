// Runs a program as a child process, with chosen standard streams and limits,
// and collects what it did. Every run has a time limit.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct ProcessOptions {
    std::string workDir = ".";
    std::optional<std::string> stdinBytes = std::string();  // nullopt: standard input closed
    std::optional<std::string> stdinPath;                   // opened read-only in its place
    bool stdinNonBlockingLater = false;                     // an empty non-blocking pipe that gets stdinBytes later
    bool closeStdout = false;
    bool brokenStdout = false;  // a pipe whose reading end is already closed
    long fileSizeLimit = -1;    // RLIMIT_FSIZE in bytes, -1 for none
    int interruptAfterMs = -1;  // send SIGINT after this long
    int timeoutMs = 20000;
};

struct ProcessResult {
    int exitCode = -1;  // -1 when ended by a signal
    int signal = 0;
    bool timedOut = false;
    long peakRssKiB = 0;  // the child's peak resident memory
    std::string out;
    std::string err;
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});
