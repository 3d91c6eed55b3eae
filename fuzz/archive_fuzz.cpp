// Feeds arbitrary bytes to the payload reader as the archive resource: extraction into a memory
// target, and the disk-space estimate.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "installer/core/payloadarchive.h"
#include "plib/perror.h"
#include "plib/pstringencoding.h"

namespace {

// Keeps a bounded amount of each file and checks that the sink's calls stay paired.
class FuzzTarget final : public ExtractTarget {
  public:
    void onFileStarted(std::uint32_t fileCount, std::uint32_t index, const PString&) override {
        if (index == 0 || index > fileCount) std::abort();
    }
    FileHandle openFile(const PString& fullPath) override {
        // A name beyond Windows-1252 makes the whole path UTF-8 behind the mixed encoding's marker;
        // the folder reads the same behind it.
        std::string_view path = fullPath.view();
        if (PStringEncodingPStringX::isMarked(path.data())) path.remove_prefix(1);
        if (open_ || !path.starts_with("D:\\in\\")) std::abort();
        open_ = true;
        kept_ = 0;
        return this;
    }
    void writeFile(FileHandle file, const std::uint8_t* bytes, std::uint32_t count) override {
        if (!open_ || file != this) std::abort();
        for (std::uint32_t i = 0; i < count && kept_ < sizeof buffer_; ++i)
            buffer_[kept_++] = bytes[i];
    }
    void closeFile(FileHandle) override {
        if (!open_) std::abort();
        open_ = false;
    }
    bool open() const { return open_; }

  private:
    bool open_ = false;
    std::uint8_t buffer_[1 << 16];
    std::size_t kept_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto length = static_cast<std::uint32_t>(size);
    FuzzTarget target;
    try {
        ExtractPayload(data, length, PString("D:\\in"), target, [](const char*) {});
    } catch (const PAssert&) {
    }
    if (target.open()) std::abort();
    for (std::uint32_t cluster : {0u, 4096u}) {
        try {
            RequiredSpace(data, length, cluster);
        } catch (const PAssert&) {
        }
    }
    return 0;
}
