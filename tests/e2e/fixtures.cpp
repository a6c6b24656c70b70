#include "fixtures.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

const Tool& Tool::Get() {
    static const Tool tool = [] {
        Tool t;
        if (const char* config = std::getenv("CPMARK_E2E_CONFIG"); config != nullptr && *config != '\0') {
            std::istringstream lines(ReadFile(config));
            for (std::string line; std::getline(lines, line);) {
                const std::size_t eq = line.find('=');
                const std::string key = line.substr(0, eq);
                const std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
                if (key == "binary") t.binary = value;
                if (key == "launcher") t.launcher.push_back(value);
                if (key == "helper") t.helper = value;
            }
        } else if (const char* path = std::getenv("CPMARK_BINARY"); path != nullptr) {
            t.binary = path;
        }
        if (t.binary.empty()) throw std::runtime_error("set CPMARK_E2E_CONFIG or CPMARK_BINARY");
        t.binary = std::filesystem::absolute(t.binary).string();
        if (!Exists(t.binary)) throw std::runtime_error("the program under test is missing: " + t.binary);
        return t;
    }();
    return tool;
}

std::string Tool::ModuleName() const {
    return std::filesystem::path(binary).filename().string();
}

ProcessResult Tool::Run(const std::vector<std::string>& args, const ProcessOptions& options) const {
    std::vector<std::string> argv = launcher;
    argv.push_back(binary);
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, options);
}

ProcessResult Tool::RunUnprivileged(const std::vector<std::string>& args, const ProcessOptions& options) const {
    if (geteuid() != 0) return Run(args, options);
    std::vector<std::string> argv = {"setpriv", "--inh-caps=-all", "--bounding-set=-dac_override,-dac_read_search",
                                     "--"};
    argv.insert(argv.end(), launcher.begin(), launcher.end());
    argv.push_back(binary);
    argv.insert(argv.end(), args.begin(), args.end());
    // Wine's server opens the files, so it must run without the right too:
    // stop the running one, and let this run start its own.
    auto stopServer = [&] {
        if (UnderWine()) RunProcess({launcher[0], launcher[1], "--stop"});
    };
    stopServer();
    ProcessResult result = RunProcess(argv, options);
    stopServer();
    return result;
}

ProcessResult Tool::RunHelper(const std::vector<std::string>& args, const ProcessOptions& options) const {
    std::vector<std::string> argv = launcher;
    argv.push_back(helper);
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, options);
}

std::string WindowsPath(const std::string& path) {
    std::string name = "Z:" + std::filesystem::absolute(path).string();
    for (char& c : name) {
        if (c == '/') c = '\\';
    }
    return name;
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/cpmark-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
}

Descriptor::~Descriptor() {
    if (fd_ >= 0) close(fd_);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool Exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

std::string Stamped(std::string bytes) {
    if (bytes.size() < 30) bytes.resize(30, '\0');
    bytes[29] = '\xC9';
    return bytes;
}

std::string SampleTable() {
    std::string header(32, '\0');
    header[0] = '\x03';                               // dBase III, no memo
    header[1] = 126, header[2] = 12, header[3] = 11;  // last update 2026-12-11
    header[4] = 2;                                    // records
    header[8] = 65;                                   // header size: 32 + 32 + 1
    header[10] = 21;                                  // record size: deletion flag + field
    std::string field(32, '\0');
    field.replace(0, 4, "NAME");
    field[11] = 'C';
    field[16] = 20;
    std::string records;
    records.append(" \xCC\xEE\xF1\xEA\xE2\xE0").append(14, ' ');  // "Moscow" in code page 1251
    records.append(" Kazan").append(15, ' ');
    return header + field + "\r" + records + "\x1A";
}

ProcessOptions In(const TempDir& dir, std::optional<std::string> stdinBytes) {
    ProcessOptions options;
    options.workDir = dir.path();
    options.stdinBytes = std::move(stdinBytes);
    return options;
}

void ExpectExit(const ProcessResult& result, int code) {
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, code);
    EXPECT_EQ(result.err, "");
}

void ExpectSilentExit(const ProcessResult& result, int code) {
    ExpectExit(result, code);
    EXPECT_EQ(result.out, "");
}

std::string ExpectReport(const ProcessResult& result, const std::string& message) {
    ExpectExit(result, 1);
    const auto literal = [](const std::string& text) { return std::regex_replace(text, std::regex("\\."), "\\."); };
    const std::regex report("Exception EInOutError in module " + literal(Tool::Get().ModuleName()) +
                            " at ([0-9A-F]{8})\\.\n" + literal(message) + "\r\n");
    std::smatch match;
    EXPECT_TRUE(std::regex_match(result.out, match, report)) << "report: [" << result.out << "]";
    return match.size() > 1 ? match[1].str() : "";
}
