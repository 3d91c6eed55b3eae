#pragma once

#include <cstdint>
#include <vector>

// Whole-file reading and writing for the build-time tools.

// The bytes of the file at `path`. Throws PInternalError "cannot read <path>".
std::vector<std::uint8_t> ReadHostFile(const char* path);

// Replaces the file at `path` with `bytes` (keeping its permissions), whole or not at all.
// Throws PInternalError "cannot write <path>".
void WriteHostFile(const char* path, const std::vector<std::uint8_t>& bytes);
