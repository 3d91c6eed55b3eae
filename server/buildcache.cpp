#include "server/buildcache.h"

#include <openssl/evp.h>
#include <sys/mman.h>

#include <span>
#include <stdexcept>

#include "installer/core/downloadcode.h"
#include "plib/perror.h"

namespace {

// The file mapped for reading while it is prepared; the mapping is undone at once, so that its
// pages do not stay in the server's memory.
class FileMapping {
  public:
    FileMapping(int fd, std::uint64_t size) : size_(size) {
        if (size == 0) return;
        data_ = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (data_ == MAP_FAILED) throw std::runtime_error("cannot map the build to read it");
        ::madvise(data_, size, MADV_SEQUENTIAL);
    }
    FileMapping(const FileMapping&) = delete;
    FileMapping& operator=(const FileMapping&) = delete;
    ~FileMapping() {
        if (size_ != 0) ::munmap(data_, size_);
    }

    std::span<const std::uint8_t> bytes() const {
        return {static_cast<const std::uint8_t*>(data_), size_};
    }

  private:
    void* data_ = nullptr;
    std::uint64_t size_;
};

std::string Sha256(std::span<const std::uint8_t> bytes) {
    DownloadCodeHash digest{};
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 failed");
    return EncodeBase64Url(digest);
}

std::shared_ptr<const PreparedBuild> Prepare(const OpenBuild& build) {
    const FileMapping mapping(build.file->get(), build.size);
    auto prepared = std::make_shared<PreparedBuild>();
    prepared->version = build.version;
    prepared->digest = Sha256(mapping.bytes());
    try {
        prepared->base.emplace(mapping.bytes());
    } catch (const PError& error) {
        prepared->untaggable = error.why();
    }
    return prepared;
}

}  // namespace

std::shared_ptr<const PreparedBuild> BuildCache::prepare(const OpenBuild& build) {
    std::shared_ptr<Slot> slot;
    {
        std::lock_guard guard(lock_);
        auto& entry = slots_[build.name];
        if (!entry) entry = std::make_shared<Slot>();
        slot = entry;
    }
    std::lock_guard guard(slot->lock);
    if (!slot->prepared || slot->prepared->version != build.version)
        slot->prepared = Prepare(build);
    return slot->prepared;
}
