#include "stamp.hpp"

#include <array>
#include <new>

#include "constants.hpp"
#include "line_reader.hpp"
#include "report.hpp"

namespace {

// A failed I/O check: the I/O result and the place of the check that failed.
// Nothing inside the run handles it; RunStamp reports it.
struct EInOutError {
    IoResult code;
    const void* site;
};

// Kept out of line so that its return address names the check that failed:
// a different place for every check, the same on every run of one build.
[[gnu::noinline]] void CheckIo(IoResult result) {
    if (result != 0) throw EInOutError{result, __builtin_return_address(0)};
}

IoResult ReadNameLine(Platform& os, std::string& name) {
    // One byte more than the open accepts, so that a longer line still
    // fails to open rather than being opened cut short.
    LineReader reader(os.MaxNameLength() + 1);
    std::array<char, StdinBufferSize> buffer{};
    for (;;) {
        const ReadResult read = os.ReadStdin(buffer);
        if (read.result != 0) return read.result;
        if (!reader.Take({buffer.data(), read.count})) break;
    }
    name = reader.Line();
    return 0;
}

int Stamp(Platform& os) {
    std::string TargetName = os.Argument1();
    if (TargetName.empty()) CheckIo(ReadNameLine(os, TargetName));
    if (TargetName.empty()) return ExitNoName;

    const OpenResult opened = os.Open(TargetName);
    if (opened.result != 0) return ExitOpenFailed;
    const FileHandle TargetFile = opened.file;

    CheckIo(os.Seek(TargetFile, MarkOffset));
    CheckIo(os.WriteByte(TargetFile, MarkValue));
    // Taken after the write, so that a short file's new size counts.
    std::uint64_t size = 0;
    CheckIo(os.Size(TargetFile, size));
    CheckIo(os.Seek(TargetFile, size));
    CheckIo(os.Close(TargetFile));
    return ExitDone;
}

void Report(Platform& os, std::string_view className, std::string_view message, const void* site) {
    std::array<char, MaxModuleName + 1> module{};
    std::array<char, ReportCapacity> report{};
    os.WriteStdout(FormatReport(report, className, os.ModuleName(module), os.ImageOffset(site), message));
    os.WriteStdout(ReportTail);
}

}  // namespace

int RunStamp(Platform& os) {
    try {
        return Stamp(os);
    } catch (const EInOutError& failure) {
        std::array<char, MessageCapacity> message{};
        Report(os, "EInOutError", IoErrorMessage(failure.code, message), failure.site);
    } catch (const std::bad_alloc&) {
        // No check failed; the run's own entry names the place.
        Report(os, "EOutOfMemory", "Out of memory", reinterpret_cast<const void*>(&Stamp));
    }
    return ExitIoFailure;
}
