#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/core/lzmapacker.h"

// Builds a payload archive resource (the layout ExtractPayload reads). A build-time helper.
class PayloadWriter {
  public:
    // Starts the next file, named by its relative path in the program's string encoding with
    // "\" between folders. Throws PInternalError for a name that IsSafeRelativePath refuses or
    // that is longer than 65,535 bytes.
    void beginFile(std::string relativePath);
    // Appends bytes to the current file. Throws PInternalError past 4 GiB of data in all.
    void addData(const std::uint8_t* data, std::size_t size);

    // The whole resource. Files keep their order, except that empty files that would come
    // before the first non-empty one follow it instead: the table cannot tell an empty first
    // file from the end of its offset list. Throws PInternalError with no files, or with several
    // files that are all empty (which the format cannot hold).
    std::vector<std::uint8_t> finish();

  private:
    struct Entry {
        std::string relativePath;
        std::uint32_t start;
    };
    std::vector<Entry> entries_;
    LzmaPacker data_;
};
