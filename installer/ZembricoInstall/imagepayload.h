#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "installer/core/lzmaunpacker.h"

// Lets the memory of `count` bytes from `bytes` on go once they have been read; the bytes stay
// valid and read the same when touched again.
using PageRelease = std::function<void(const std::uint8_t* bytes, std::uint32_t count)>;

// Takes the pages of those bytes of the loaded image out of the process's working set. The
// system pages them in again from the image if they are touched.
void ReleaseImagePages(const std::uint8_t* bytes, std::uint32_t count);

// A reader of `bytes`, a block of the loaded image (the payload resource), that copies each
// piece it is asked for and then releases the piece's memory. A decode through it keeps its
// memory to its own buffers, and every byte it gets is the image's as the system mapped it:
// a mapped image cannot be changed, whatever happens to its file on disk meanwhile. A piece
// that does not lie whole in `bytes` is refused (false).
LzmaUnpacker::BlockReader ImageBlockReader(std::span<const std::uint8_t> bytes,
                                           PageRelease release = ReleaseImagePages);
