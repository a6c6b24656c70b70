// Starts cpmark.exe the way the Windows tests need, and relays its exit code.
// Its standard output and error are this process's.
//
//   win_helper run PROGRAM HEX           exactly the command line HEX (hex-encoded bytes)
//   win_helper run-no-stdin PROGRAM HEX  the same with no standard input handle
//   win_helper hold FILE PROGRAM HEX     the same while FILE is held open without sharing
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string FromHex(const char* hex) {
    std::string bytes;
    for (std::size_t i = 0; hex[i] != '\0' && hex[i + 1] != '\0'; i += 2) {
        const char pair[3] = {hex[i], hex[i + 1], '\0'};
        bytes.push_back(static_cast<char>(std::strtoul(pair, nullptr, 16)));
    }
    return bytes;
}

int Run(const char* program, const char* hex, bool withStdin) {
    std::string commandLine = FromHex(hex);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!withStdin) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = INVALID_HANDLE_VALUE;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION process{};
    // The program is named apart from the command line, so that the child's
    // GetCommandLineA is the line given, byte for byte.
    if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "win_helper: CreateProcessA failed: %lu\n", GetLastError());
        return 125;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 125;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "run" && argc == 4) return Run(argv[2], argv[3], true);
    if (mode == "run-no-stdin" && argc == 4) return Run(argv[2], argv[3], false);
    if (mode == "hold" && argc == 5) {
        const HANDLE held = CreateFileA(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "win_helper: cannot hold %s: %lu\n", argv[2], GetLastError());
            return 125;
        }
        const int code = Run(argv[3], argv[4], true);
        CloseHandle(held);
        return code;
    }
    std::fprintf(stderr, "win_helper: usage: run|run-no-stdin PROGRAM HEX, or hold FILE PROGRAM HEX\n");
    return 125;
}
