// The platform operations on Windows, through the Win32 interface.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <array>

#include "command_line.hpp"
#include "platform.hpp"
#include "report.hpp"

// Set by the linker to the start of the program's loaded image.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

IoResult LastError() {
    return static_cast<IoResult>(GetLastError());
}

HANDLE Handle(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

// CharNextA steps over a lead byte and its trail byte as one character.
const char* NextChar(const char* p) {
    return CharNextA(p);
}

class Win32Platform final : public Platform {
public:
    std::string Argument1() override {
        // Cut from the raw line: the C runtime's argv follows other quoting rules.
        return CommandLineArgument1(GetCommandLineA(), NextChar);
    }

    std::size_t MaxNameLength() override {
        return MAX_PATH - 1;  // MAX_PATH counts the terminating zero byte
    }

    ReadResult ReadStdin(std::span<char> buffer) override {
        const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        if (input == INVALID_HANDLE_VALUE) return {IoStdinUnavailable, 0};
        DWORD count = 0;
        if (!ReadFile(input, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr)) {
            // A pipe whose writer has closed it is at its end, not in error.
            if (GetLastError() == ERROR_BROKEN_PIPE) return {0, 0};
            return {LastError(), 0};
        }
        return {0, count};
    }

    OpenResult Open(const std::string& name) override {
        if (name.size() > MaxNameLength()) return {ERROR_FILENAME_EXCED_RANGE, 0};
        const HANDLE file = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {LastError(), 0};
        if (GetFileType(file) != FILE_TYPE_DISK) {
            // Only a table is stamped: the console, NUL and pipes are never written into.
            CloseHandle(file);
            return {ERROR_ACCESS_DENIED, 0};
        }
        return {0, reinterpret_cast<FileHandle>(file)};
    }

    // Positions and sizes are 64-bit: the 32-bit calls give only the low half
    // of a size past 4 GiB, and refuse a move past 2 GiB.
    IoResult Seek(FileHandle file, std::uint64_t position) override {
        LARGE_INTEGER distance{};
        distance.QuadPart = static_cast<LONGLONG>(position);
        return SetFilePointerEx(Handle(file), distance, nullptr, FILE_BEGIN) ? 0 : LastError();
    }

    IoResult WriteByte(FileHandle file, std::uint8_t byte) override {
        DWORD written = 0;
        if (!WriteFile(Handle(file), &byte, 1, &written, nullptr)) return LastError();
        return written == 1 ? 0 : IoShortWrite;
    }

    IoResult Size(FileHandle file, std::uint64_t& size) override {
        LARGE_INTEGER value{};
        if (!GetFileSizeEx(Handle(file), &value)) return LastError();
        size = static_cast<std::uint64_t>(value.QuadPart);
        return 0;
    }

    IoResult Close(FileHandle file) override { return CloseHandle(Handle(file)) ? 0 : LastError(); }

    std::string_view ModuleName(std::span<char> out) override {
        std::array<char, MAX_PATH + 1> path{};
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        return BaseName({path.data(), std::min<std::size_t>(length, path.size())}, "\\/:", out);
    }

    std::uint32_t ImageOffset(const void* address) override {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address) -
                                          reinterpret_cast<std::uintptr_t>(&__ImageBase));
    }

    void WriteStdout(std::string_view text) override {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        while (!text.empty()) {
            DWORD written = 0;
            if (!WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written == 0)
                return;
            text.remove_prefix(written);
        }
    }
};

}  // namespace

Platform& StartPlatform(int, char**) {
    // A name on an empty removable drive fails to open instead of asking the
    // user, in a dialog, to insert a disk.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    static Win32Platform platform;
    return platform;
}

void ExitProcessWith(int code) {
    ExitProcess(static_cast<UINT>(code));
}
