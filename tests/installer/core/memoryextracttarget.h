#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "installer/core/payloadarchive.h"
#include "plib/perror.h"

inline std::string Text(const PString& s) {
    return std::string(s.c_str(), s.length());
}

using Bytes = std::vector<std::uint8_t>;

// An ExtractTarget for tests: keeps the files in memory and checks the sink's discipline (one
// open file at a time, every write to the file that is open, every file closed).
class MemoryTarget final : public ExtractTarget {
  public:
    void onFileStarted(std::uint32_t fileCount, std::uint32_t index,
                       const PString& relativePath) override {
        started.push_back({fileCount, index, Text(relativePath)});
        if (throwAtIndex == index) throw PInternalError("stopped");
    }
    FileHandle openFile(const PString& fullPath) override {
        EXPECT_EQ(openPath, "") << "a file is still open";
        openPath = Text(fullPath);
        opened.push_back(openPath);
        files[openPath].clear();
        return openPath == discardPath ? nullptr : &files[openPath];
    }
    void writeFile(FileHandle file, const std::uint8_t* bytes, std::uint32_t count) override {
        EXPECT_NE(openPath, "");
        if (!file) return;
        EXPECT_EQ(file, &files[openPath]);
        static_cast<Bytes*>(file)->insert(static_cast<Bytes*>(file)->end(), bytes, bytes + count);
    }
    void closeFile(FileHandle) override {
        EXPECT_NE(openPath, "");
        openPath.clear();
        ++closed;
    }

    struct Start {
        std::uint32_t count;
        std::uint32_t index;
        std::string path;
    };
    std::vector<Start> started;
    std::vector<std::string> opened;
    std::map<std::string, Bytes> files;
    std::string openPath;
    std::string discardPath;
    std::uint32_t throwAtIndex = 0;
    int closed = 0;
};

// Extracts `resource` into "C:\\Dest" through `target`, collecting the log lines in `log`.
inline bool Extract(const Bytes& resource, MemoryTarget& target,
                    std::vector<std::string>* log = nullptr) {
    return ExtractPayload(resource.data(), static_cast<std::uint32_t>(resource.size()),
                          PString("C:\\Dest"), target, [&](const char* line) {
                              if (log) log->push_back(line);
                          });
}

// A file to pack: relative path and contents.
struct File {
    std::string name;
    Bytes data;
};

// Deterministic sample bytes, mostly compressible.
inline Bytes Pattern(std::size_t size, unsigned seed) {
    Bytes data(size);
    std::mt19937 random(seed);
    for (auto& b : data) b = static_cast<std::uint8_t>(random() % 7 == 0 ? random() : 'a' + seed);
    return data;
}
