// A platform that keeps the target in memory, records every operation and can
// fail any one of them with a chosen code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.hpp"

struct FakePlatform final : Platform {
    // What the run is given.
    std::string argument1;
    std::vector<std::string> stdinReads;  // one entry a read; end of input after the last
    std::size_t maxNameLength = 259;
    std::string existingName = "t.dbf";
    std::string table = std::string(40, 'x');

    // Operation number `failAt` (counting from 1, in the order of `calls`)
    // fails with `failCode`.
    std::size_t failAt = 0;
    IoResult failCode = 0;

    // What the run did.
    std::vector<std::string> calls;
    std::string output;
    std::vector<std::uint32_t> offsets;  // every ImageOffset asked for

    static constexpr FileHandle OpenHandle = 7;

    std::string Argument1() override { return argument1; }
    std::size_t MaxNameLength() override { return maxNameLength; }

    ReadResult ReadStdin(std::span<char> buffer) override {
        if (Fails("ReadStdin(" + std::to_string(buffer.size()) + ")")) return {failCode, 0};
        if (nextRead_ == stdinReads.size()) return {0, 0};
        const std::string& read = stdinReads[nextRead_++];
        read.copy(buffer.data(), buffer.size());
        return {0, std::min(read.size(), buffer.size())};
    }

    OpenResult Open(const std::string& name) override {
        if (Fails("Open(" + name + ")")) return {failCode, -1};
        if (name.size() > maxNameLength || name != existingName) return {2, -1};
        return {0, OpenHandle};
    }

    IoResult Seek(FileHandle file, std::uint64_t to) override {
        if (Fails("Seek(" + HandleNote(file) + std::to_string(to) + ")")) return failCode;
        position_ = to;
        return 0;
    }

    IoResult WriteByte(FileHandle file, std::uint8_t byte) override {
        if (Fails("WriteByte(" + HandleNote(file) + std::to_string(byte) + ")")) return failCode;
        const auto at = static_cast<std::size_t>(position_++);
        if (table.size() <= at) table.resize(at + 1, '\0');
        table[at] = static_cast<char>(byte);
        return 0;
    }

    IoResult Size(FileHandle file, std::uint64_t& size) override {
        if (Fails("Size(" + HandleNote(file) + ")")) return failCode;
        size = table.size();
        return 0;
    }

    IoResult Close(FileHandle file) override {
        if (Fails("Close(" + HandleNote(file) + ")")) return failCode;
        return 0;
    }

    std::string_view ModuleName(std::span<char> out) override {
        const std::string_view name = "cpmark.exe";
        name.copy(out.data(), out.size());
        return {out.data(), std::min(name.size(), out.size())};
    }

    std::uint32_t ImageOffset(const void* address) override {
        offsets.push_back(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(address)));
        return offsets.back();
    }

    void WriteStdout(std::string_view text) override { output += text; }

private:
    // Records the call; true when it is the one to fail.
    bool Fails(std::string call) {
        calls.push_back(std::move(call));
        return calls.size() == failAt;
    }
    // Names the handle only when it is not the one Open gave.
    static std::string HandleNote(FileHandle file) {
        return file == OpenHandle ? "" : "handle " + std::to_string(file) + ", ";
    }

    std::size_t nextRead_ = 0;
    std::uint64_t position_ = 0;
};
