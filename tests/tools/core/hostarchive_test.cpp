#include "tools/core/hostarchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "installer/core/memoryextracttarget.h"
#include "plib/perror.h"
#include "plib/tempfolder.h"
#include "tools/core/payloadwriter.h"

namespace {

Bytes Noise(std::size_t size, unsigned seed) {
    Bytes data(size);
    std::mt19937 random(seed);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    return data;
}

// Three files whose packed stream spans several of the pieces the decoder reads.
std::vector<File> Sample() {
    return {{"a.txt", Pattern(5000, 1)},
            {"sub\\big.bin", Noise(3 * LzmaUnpacker::kReadSize + 123, 2)},
            {"z.dat", Pattern(70000, 3)}};
}

std::string Archive(const TempFolder& folder, const std::vector<File>& files,
                    std::size_t keep = std::string::npos) {
    PayloadWriter writer;
    for (const File& f : files) {
        writer.beginFile(f.name);
        writer.addData(f.data.data(), f.data.size());
    }
    const Bytes bytes = writer.finish();
    const std::string path = folder.file("payload.bin");
    TempFolder::write(path,
                      std::string(bytes.begin(), bytes.begin() + std::min(keep, bytes.size())));
    return path;
}

}  // namespace

TEST(HostArchive, ExtractsWhatTheResourceHoldsReadingTheStreamInPieces) {
    TempFolder folder;
    const std::vector<File> files = Sample();
    MemoryTarget target;
    ASSERT_TRUE(HostArchive(Archive(folder, files).c_str()).extract(PString("C:\\Dest"), target));
    ASSERT_EQ(target.files.size(), files.size());
    for (const File& f : files) EXPECT_EQ(target.files["C:\\Dest\\" + f.name], f.data) << f.name;
    EXPECT_EQ(target.closed, 3);
}

TEST(HostArchive, ShortOrMissingFilesFailAsShortResourcesDo) {
    TempFolder folder;
    EXPECT_THROW(HostArchive(folder.file("missing.bin").c_str()), PInternalError);

    MemoryTarget empty;
    EXPECT_THROW(HostArchive(Archive(folder, Sample(), 0).c_str()).extract(PString("C"), empty),
                 PAssert);
    MemoryTarget inTable;
    EXPECT_THROW(HostArchive(Archive(folder, Sample(), 20).c_str()).extract(PString("C"), inTable),
                 PAssert);
    // Cut inside the data stream: the declared size runs past the file's end.
    MemoryTarget inStream;
    EXPECT_THROW(
        HostArchive(Archive(folder, Sample(), 300000).c_str()).extract(PString("C"), inStream),
        PAssert);
}
