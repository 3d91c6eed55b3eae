#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "installer/core/lzmaunpacker.h"
#include "plib/pstring.h"

// The payload archive: the installed client's files as one resource (type "ZB", id 130).
// Layout, little-endian: u32 unpacked size of the file table, u32 total size of the file data,
// u32 packed size P, P bytes of file-table block, u32 packed size Q, Q bytes of data block. Each
// block is raw LZMA1 (LzmaUnpacker). The decoded table holds the u32 start offsets of the files
// (the first, 0, then one per further file, then a u32 0), then per file a u16 length and the
// relative path ("\" between folders), then a u16 0. The data is the files' contents in order.

// Where the file set sink puts the files. The install worker implements it on the disk.
class ExtractTarget {
  public:
    using FileHandle = void*;

    // A file starts: the `index`-th (from 1) of `fileCount`. May throw to end the extraction.
    virtual void onFileStarted(std::uint32_t fileCount, std::uint32_t index,
                               const PString& relativePath) = 0;
    // Creates or truncates the file; returns its handle, or nullptr to have its bytes discarded.
    virtual FileHandle openFile(const PString& fullPath) = 0;
    // Appends `count` bytes to the file (`file` may be nullptr, `count` 0).
    virtual void writeFile(FileHandle file, const std::uint8_t* bytes, std::uint32_t count) = 0;
    // Closes the file (`file` may be nullptr).
    virtual void closeFile(FileHandle file) = 0;

  protected:
    ~ExtractTarget() = default;
};

// One file of the archive.
struct PayloadFile {
    PString relativePath;
    std::uint32_t endOffset;  // the next file's start offset; 0 in the last entry (up to the total)
};

// Decoded file tables larger than this are refused: the limit keeps a damaged header from
// asking for gigabytes (a table of 16 MiB would list some 300,000 files).
inline constexpr std::uint32_t kMaxFileTableSize = 16u << 20;

// True when `name` stays inside the folder it is appended to: not empty, no zero byte, no ":"
// (drive letters, streams), no leading "\" or "/", and no part between separators ("\" or "/",
// which Windows also accepts) made only of two or more dots and blanks (Windows reads ". ." and
// "..." like ".."). A leading 0x10 marker of UTF-8 text is not part of the name.
bool IsSafeRelativePath(std::string_view name);

// Reads the decoded file table `table[0, size)` of an archive whose data holds `totalSize`
// bytes. False, with `files` unspecified, when the table is damaged: the offset list or a name
// runs past its end, an offset decreases or exceeds the total, or a name is not safe.
bool ParseFileTable(const std::uint8_t* table, std::uint32_t size, std::uint32_t totalSize,
                    std::vector<PayloadFile>& files);

class ResourceCursor;

// Reads the header and the file table of the archive at `cursor` (its start): the total data
// size into `totalSize` and the files into `files`. False when the table does not decode or is
// damaged (ParseFileTable). Fields past the resource throw PAssert (ResourceCursor).
bool ReadPayloadFiles(ResourceCursor& cursor, std::uint32_t& totalSize,
                      std::vector<PayloadFile>& files);

// The size of each file of `files`, whose data holds `totalSize` bytes in all.
std::vector<std::uint32_t> PayloadFileSizes(const std::vector<PayloadFile>& files,
                                            std::uint32_t totalSize);

// Writes the decoded data into the files of a list through an ExtractTarget: at most one file
// is open at a time, in list order; each file is opened (and announced) when it starts.
class FileSetUnpackSink final : public UnpackSink {
  public:
    // `folderPrefix` is the install folder followed by "\". Opens the first file at once.
    FileSetUnpackSink(PString folderPrefix, std::vector<PayloadFile> files, std::uint32_t totalSize,
                      ExtractTarget& target);
    // Closes the file still open, if any, through the target.
    ~FileSetUnpackSink() override;
    FileSetUnpackSink(const FileSetUnpackSink&) = delete;
    FileSetUnpackSink& operator=(const FileSetUnpackSink&) = delete;

    // Splits the bytes exactly at file ends; empty files between are created and closed.
    // Refuses (non-zero) bytes beyond the last file.
    int write(const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& taken) override;
    std::uint32_t totalSize() const override { return totalSize_; }
    // Closes the current file. When the whole total has arrived, first creates the files still
    // listed after it, which are then necessarily empty, so that none is lost.
    void finish() override;

  private:
    std::uint32_t currentSize() const;
    void completeCurrent();
    void openCurrent();
    void closeCurrent();

    ExtractTarget& target_;
    std::vector<PayloadFile> files_;
    std::size_t current_ = 0;
    ExtractTarget::FileHandle handle_ = nullptr;
    bool open_ = false;
    std::uint32_t written_ = 0;
    std::uint32_t previousEnd_ = 0;
    PString folderPrefix_;
    std::uint32_t filesOpened_ = 0;
    std::uint32_t fileCount_;
    std::uint32_t totalSize_;
    std::uint32_t received_ = 0;
};

// Unpacks the archive held in `resource[0, size)` into `installFolder` through `target`,
// writing `log` lines "\nExtracting files:" before the first file and "\n" at the end.
// Returns false for an archive error: a block that does not decode, a data stream shorter than
// its declared total, or a damaged file table (ParseFileTable), which is found before any file
// is created. A field that runs past the resource throws PAssert (ResourceCursor); exceptions of
// the target pass through, after the file it has open is closed. Files written before an
// error stay. With `read`, which gives the bytes of the resource from an offset on, the data
// block's stream is taken from it rather than from `resource` (whose fields are still checked
// there).
bool ExtractPayload(const std::uint8_t* resource, std::uint32_t size, const PString& installFolder,
                    ExtractTarget& target, const std::function<void(const char*)>& log,
                    const LzmaUnpacker::BlockReader& read = {});

// The bytes the archive needs on a disk with clusters of `clusterSize` bytes: every file
// rounded up to whole clusters (an empty file takes none), in u32 arithmetic. With a cluster
// size of 0, the total data size, read without decoding. A file table that cannot be read
// gives the total data size too. Fields past the resource throw PAssert (ResourceCursor).
std::uint32_t RequiredSpace(const std::uint8_t* resource, std::uint32_t size,
                            std::uint32_t clusterSize);
