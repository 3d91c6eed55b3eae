#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "installer/core/payloadarchive.h"

// A payload archive file of the build machine, read as the setup program reads its resource:
// the fields in memory, the long data stream from the file in pieces, so that decoding holds
// the dictionary and a piece rather than the archive. For the build-time tools.
class HostArchive {
  public:
    // Reads the archive's fields at `path`. Throws PInternalError "cannot read <path>".
    explicit HostArchive(const char* path);

    // ExtractPayload over the archive (its fields and their checks as for a resource).
    bool extract(const PString& installFolder, ExtractTarget& target);

  private:
    bool read(std::uint32_t offset, std::uint8_t* into, std::uint32_t count);

    std::string path_;
    std::ifstream file_;
    std::uint32_t size_ = 0;
    // As large as the file; only the bytes before the data stream are read into it. Memory that
    // is never written is never given pages, so the stream's part costs nothing.
    std::unique_ptr<std::uint8_t[]> fields_;
};
