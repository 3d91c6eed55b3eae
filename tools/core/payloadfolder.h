#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// One file of a folder to pack.
struct PayloadSourceFile {
    std::string relativePath;  // program text, "\" between folders
    std::filesystem::path path;
    std::uint64_t size;
};

// The regular files below `folder`, in a fixed order: sorted by relative path, byte-wise, with
// names converted from UTF-8 to the program's string encoding. Throws PInternalError when the
// folder cannot be read.
std::vector<PayloadSourceFile> ListPayloadFolder(const std::filesystem::path& folder);

// Packs the files ListPayloadFolder lists. Throws PInternalError when a file cannot be read.
std::vector<std::uint8_t> PackPayloadFolder(const std::filesystem::path& folder);
