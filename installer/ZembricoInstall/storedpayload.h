#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>

#include "plib/win/unique.h"

// The payload's bytes read from the file they are stored in, a piece at a time: a decode that
// reads them there keeps its memory to its buffers, where one that reads the loaded resource
// would end up holding all of it.
class StoredPayload {
  public:
    // `file` holds the payload from byte `base` on.
    StoredPayload(UniqueFile file, std::uint64_t base);

    // The executable file of `module`, when `bytes` are a resource of it that lies whole in one
    // section's data in the file; nothing otherwise.
    static std::shared_ptr<StoredPayload> OfModuleResource(HMODULE module,
                                                           std::span<const std::uint8_t> bytes);

    // Fills `into` with `count` bytes of the payload from `offset` on; false when the file
    // cannot give them all.
    bool read(std::uint32_t offset, std::uint8_t* into, std::uint32_t count) const;

  private:
    UniqueFile file_;
    std::uint64_t base_;
};
