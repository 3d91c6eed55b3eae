#include "installer/core/payloadarchive.h"

#include <memory>

#include "installer/core/littleendian.h"
#include "installer/core/resourcecursor.h"
#include "plib/pstringencoding.h"

namespace {

bool IsDotsPart(std::string_view part) {
    std::size_t dots = 0;
    for (char c : part) {
        if (c == '.') {
            ++dots;
        } else if (c != ' ') {
            return false;
        }
    }
    return dots >= 2;
}

// Decodes the file table block at the cursor into `table`; false when it does not decode.
bool DecodeFileTable(ResourceCursor& cursor, std::uint32_t tableSize,
                     std::vector<std::uint8_t>& table) {
    const std::uint32_t packedSize = cursor.readU32();
    const std::uint8_t* packed = cursor.readBlock(packedSize);
    if (tableSize > kMaxFileTableSize) return false;
    table.clear();
    LzmaUnpacker unpacker;
    unpacker.setInput(packed, packedSize);
    unpacker.setSink(std::make_unique<VectorUnpackSink>(table, tableSize));
    return unpacker.run() == 0;
}

}  // namespace

bool ReadPayloadFiles(ResourceCursor& cursor, std::uint32_t& totalSize,
                      std::vector<PayloadFile>& files) {
    const std::uint32_t tableSize = cursor.readU32();
    totalSize = cursor.readU32();
    std::vector<std::uint8_t> table;
    return DecodeFileTable(cursor, tableSize, table) &&
           ParseFileTable(table.data(), tableSize, totalSize, files);
}

std::vector<std::uint32_t> PayloadFileSizes(const std::vector<PayloadFile>& files,
                                            std::uint32_t totalSize) {
    std::vector<std::uint32_t> sizes;
    std::uint32_t start = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::uint32_t end = i + 1 == files.size() ? totalSize : files[i].endOffset;
        sizes.push_back(end - start);
        start = end;
    }
    return sizes;
}

bool IsSafeRelativePath(std::string_view name) {
    if (!name.empty() && name.front() == '\x10') name.remove_prefix(1);
    if (name.empty() || name.front() == '\\' || name.front() == '/') return false;
    if (name.find_first_of(std::string_view(":\0", 2)) != std::string_view::npos) return false;
    for (;;) {
        const std::size_t end = name.find_first_of("\\/");
        if (IsDotsPart(name.substr(0, end))) return false;
        if (end == std::string_view::npos) return true;
        name.remove_prefix(end + 1);
    }
}

bool ParseFileTable(const std::uint8_t* table, std::uint32_t size, std::uint32_t totalSize,
                    std::vector<PayloadFile>& files) {
    files.clear();
    // The first offset is always 0 and is not read; each non-zero one ends the file before it.
    std::uint32_t pos = 4;
    std::uint32_t previous = 0;
    for (;;) {
        if (size < pos || size - pos < 4) return false;
        const std::uint32_t offset = LoadU32Le(table + pos);
        pos += 4;
        if (offset == 0) break;
        if (offset < previous || offset > totalSize) return false;
        files.push_back({PString(), offset});
        previous = offset;
    }
    files.push_back({PString(), 0});
    for (PayloadFile& file : files) {
        if (size - pos < 2) return false;
        const std::uint32_t length = LoadU16Le(table + pos);
        pos += 2;
        if (size - pos < length) return false;
        const std::string_view name(reinterpret_cast<const char*>(table + pos), length);
        if (!IsSafeRelativePath(name)) return false;
        file.relativePath = PString(name.data(), length);
        pos += length;
    }
    return true;
}

FileSetUnpackSink::FileSetUnpackSink(PString folderPrefix, std::vector<PayloadFile> files,
                                     std::uint32_t totalSize, ExtractTarget& target)
    : target_(target),
      files_(std::move(files)),
      folderPrefix_(std::move(folderPrefix)),
      fileCount_(files_.empty() ? 1 : static_cast<std::uint32_t>(files_.size())),
      totalSize_(totalSize) {
    if (files_.empty()) return;
    // The destructor does not run for a constructor that throws: close the first file here.
    try {
        openCurrent();
    } catch (...) {
        closeCurrent();
        throw;
    }
}

FileSetUnpackSink::~FileSetUnpackSink() {
    // A destructor must not throw; a target that fails to close has nothing left to report to.
    try {
        closeCurrent();
    } catch (...) {
    }
}

std::uint32_t FileSetUnpackSink::currentSize() const {
    // The last file runs to the total; its end offset (0) is not a position.
    if (current_ + 1 == files_.size()) return totalSize_ - previousEnd_;
    return files_[current_].endOffset - previousEnd_;
}

int FileSetUnpackSink::write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& taken) {
    taken = 0;
    while (count != 0) {
        if (current_ == files_.size()) return 1;
        const std::uint32_t room = currentSize() - written_;
        const std::uint32_t n = count < room ? count : room;
        target_.writeFile(handle_, bytes, n);
        written_ += n;
        bytes += n;
        count -= n;
        taken += n;
        received_ += n;
        if (n == room) completeCurrent();
    }
    return 0;
}

void FileSetUnpackSink::finish() {
    if (received_ == totalSize_) {
        while (current_ < files_.size() && currentSize() == written_) completeCurrent();
    }
    closeCurrent();
}

void FileSetUnpackSink::completeCurrent() {
    closeCurrent();
    previousEnd_ = files_[current_].endOffset;
    ++current_;
    written_ = 0;
    if (current_ < files_.size()) openCurrent();
}

void FileSetUnpackSink::openCurrent() {
    const PayloadFile& file = files_[current_];
    const PString fullPath(PMixedJoin({folderPrefix_.view(), file.relativePath.view()}).c_str());
    handle_ = target_.openFile(fullPath);
    open_ = true;
    ++filesOpened_;
    target_.onFileStarted(fileCount_, filesOpened_, file.relativePath);
}

void FileSetUnpackSink::closeCurrent() {
    if (!open_) return;
    open_ = false;
    target_.closeFile(handle_);
    handle_ = nullptr;
}

bool ExtractPayload(const std::uint8_t* resource, std::uint32_t size, const PString& installFolder,
                    ExtractTarget& target, const std::function<void(const char*)>& log,
                    const LzmaUnpacker::BlockReader& read) {
    ResourceCursor cursor(resource, size);
    std::uint32_t totalSize = 0;
    std::vector<PayloadFile> files;
    if (!ReadPayloadFiles(cursor, totalSize, files)) return false;
    log("\nExtracting files:");
    const std::uint32_t packedSize = cursor.readU32();
    const std::uint8_t* packed = cursor.readBlock(packedSize);
    PString prefix = installFolder;
    prefix.append("\\");
    LzmaUnpacker unpacker;
    unpacker.setInput(packed, packedSize);
    unpacker.setDecodeAhead(true);
    if (read) {
        const auto start = static_cast<std::uint32_t>(packed - resource);
        unpacker.setReader(
            [&read, start](std::uint32_t offset, std::uint8_t* into, std::uint32_t count) {
                return read(start + offset, into, count);
            });
    }
    unpacker.setSink(std::make_unique<FileSetUnpackSink>(std::move(prefix), std::move(files),
                                                         totalSize, target));
    const bool decoded = unpacker.run() == 0;
    unpacker.sink()->finish();
    unpacker.setSink(nullptr);
    if (!decoded) return false;
    log("\n");
    return true;
}

std::uint32_t RequiredSpace(const std::uint8_t* resource, std::uint32_t size,
                            std::uint32_t clusterSize) {
    ResourceCursor cursor(resource, size);
    if (clusterSize == 0) {
        cursor.readU32();
        return cursor.readU32();
    }
    std::uint32_t totalSize = 0;
    std::vector<PayloadFile> files;
    if (!ReadPayloadFiles(cursor, totalSize, files)) return totalSize;
    std::uint32_t space = 0;
    for (std::uint32_t fileSize : PayloadFileSizes(files, totalSize)) {
        space += (fileSize / clusterSize + (fileSize % clusterSize != 0)) * clusterSize;
    }
    return space;
}
