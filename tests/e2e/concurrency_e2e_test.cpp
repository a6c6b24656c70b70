// Runs that overlap: with each other, and with another process writing the
// same table.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "fixtures.hpp"

namespace {

TEST(Concurrency, FortyRunsAtOnceOnOneTable) {
    // Under Wine each run is a whole Windows process; fewer show the same.
    const int runs = Tool::Get().UnderWine() ? 10 : 40;
    TempDir dir;
    const std::string before = SampleTable();
    WriteFile(dir / "t.dbf", before);
    std::vector<ProcessResult> results(static_cast<std::size_t>(runs));
    std::vector<std::thread> threads;
    threads.reserve(results.size());
    for (auto& result : results) {
        threads.emplace_back([&] { result = Tool::Get().Run({"t.dbf"}, In(dir)); });
    }
    for (std::thread& t : threads) t.join();
    for (const ProcessResult& result : results) ExpectSilentExit(result, 0);
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(before));
}

TEST(Concurrency, RecordsAppendedDuringRunsAreKept) {
    TempDir dir;
    const std::string before = SampleTable();
    WriteFile(dir / "t.dbf", before);

    // Another process appends records while the table is stamped again and again.
    std::atomic<bool> stop = false;
    std::string appended;
    std::thread appender([&] {
        const int fd = open((dir / "t.dbf").c_str(), O_WRONLY | O_APPEND);
        for (int i = 0; !stop || i < 200; ++i) {
            const std::string record = " record " + std::to_string(i) + std::string(12 - std::to_string(i).size(), ' ');
            if (write(fd, record.data(), record.size()) != static_cast<ssize_t>(record.size())) break;
            appended += record;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        close(fd);
    });
    const int runs = Tool::Get().UnderWine() ? 5 : 20;
    for (int i = 0; i < runs; ++i) ExpectSilentExit(Tool::Get().Run({"t.dbf"}, In(dir)), 0);
    stop = true;
    appender.join();
    EXPECT_EQ(ReadFile(dir / "t.dbf"), Stamped(before) + appended);
}

}  // namespace
