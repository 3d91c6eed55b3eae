#include "installer/core/payloadarchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "installer/core/littleendian.h"
#include "installer/core/memoryextracttarget.h"
#include "plib/perror.h"
#include "tools/core/lzmapacker.h"
#include "tools/core/payloadwriter.h"

namespace {

Bytes Pack(const std::vector<File>& files) {
    PayloadWriter writer;
    for (const File& f : files) {
        writer.beginFile(f.name);
        writer.addData(f.data.data(), f.data.size());
    }
    return writer.finish();
}

Bytes PackBlock(const Bytes& data) {
    LzmaPacker packer;
    packer.add(data.data(), data.size());
    return packer.finish();
}

// A resource with a hand-made decoded file table and `data` as the file data.
Bytes ResourceWithTable(const Bytes& table, const Bytes& data, std::uint32_t declaredTotal) {
    Bytes out;
    AppendU32Le(out, static_cast<std::uint32_t>(table.size()));
    AppendU32Le(out, declaredTotal);
    const Bytes tableBlock = PackBlock(table);
    AppendU32Le(out, static_cast<std::uint32_t>(tableBlock.size()));
    out.insert(out.end(), tableBlock.begin(), tableBlock.end());
    const Bytes dataBlock = PackBlock(data);
    AppendU32Le(out, static_cast<std::uint32_t>(dataBlock.size()));
    out.insert(out.end(), dataBlock.begin(), dataBlock.end());
    return out;
}

// A decoded table: the offsets as given (terminator included or not), then names.
Bytes Table(const std::vector<std::uint32_t>& offsets, const std::vector<std::string>& names) {
    Bytes t;
    for (std::uint32_t o : offsets) AppendU32Le(t, o);
    for (const std::string& n : names) {
        t.push_back(static_cast<std::uint8_t>(n.size()));
        t.push_back(static_cast<std::uint8_t>(n.size() >> 8));
        t.insert(t.end(), n.begin(), n.end());
    }
    return t;
}

}  // namespace

TEST(PayloadArchive, ChunksAreSplitExactlyAcrossManySmallAndEmptyFiles) {
    std::vector<File> files;
    for (unsigned i = 0; i < 40; ++i) {
        files.push_back({"f" + std::to_string(100 + i), Pattern(i % 3 == 0 ? 0 : i * 37, i)});
    }
    files.push_back({"tail1", {}});
    files.push_back({"tail2", {}});
    MemoryTarget target;
    ASSERT_TRUE(Extract(Pack(files), target));
    ASSERT_EQ(target.opened.size(), files.size());
    // The empty first file follows the first one with data.
    EXPECT_EQ(target.started[0].path, "f101");
    EXPECT_EQ(target.started[1].path, "f100");
    for (const File& f : files) EXPECT_EQ(target.files["C:\\Dest\\" + f.name], f.data) << f.name;
    EXPECT_EQ(target.closed, static_cast<int>(files.size()));
}

TEST(PayloadArchive, AFolderOutsideTheCodePageKeepsItsMarkerInFrontOfEveryPath) {
    // A folder with Japanese characters (ゲーム), marked UTF-8, and a name in Windows-1252.
    const PString folder(
        "\x10"
        "C:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0");
    MemoryTarget target;
    const Bytes resource = Pack({{"Caf\xE9.txt", Pattern(10, 1)}});
    ASSERT_TRUE(ExtractPayload(resource.data(), static_cast<std::uint32_t>(resource.size()), folder,
                               target, [](const char*) {}));
    EXPECT_EQ(target.files.count("\x10"
                                 "C:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\\Caf\xC3\xA9.txt"),
              1u);
}

TEST(PayloadArchive, TheDataStreamIsReadFromTheReaderAtTheResourcesOffsets) {
    const std::vector<File> files = {{"a.bin", Pattern(600000, 1)}, {"b.bin", Pattern(7000, 2)}};
    const Bytes resource = Pack(files);
    // Header (three u32), file-table block, u32 size, then the data block: its 5-byte
    // properties are read in place, its stream only through the reader.
    const std::size_t stream = 12 + LoadU32Le(resource.data() + 8) + 4 + 5;
    Bytes spoiled = resource;
    std::fill(spoiled.begin() + stream, spoiled.end(), 0x5A);
    std::size_t next = stream;
    MemoryTarget target;
    ASSERT_TRUE(ExtractPayload(
        spoiled.data(), static_cast<std::uint32_t>(spoiled.size()), PString("C:\\Dest"), target,
        [](const char*) {},
        [&](std::uint32_t offset, std::uint8_t* into, std::uint32_t count) {
            EXPECT_EQ(offset, next);
            EXPECT_LE(std::size_t{offset} + count, resource.size());
            std::copy_n(resource.begin() + offset, count, into);
            next = offset + count;
            return true;
        }));
    for (const File& f : files) EXPECT_EQ(target.files["C:\\Dest\\" + f.name], f.data) << f.name;
    EXPECT_GT(next, stream);
}

TEST(PayloadArchive, ATableWithoutFurtherOffsetsGivesOneFileTakingEverything) {
    const Bytes data = Pattern(5000, 9);
    MemoryTarget target;
    ASSERT_TRUE(Extract(ResourceWithTable(Table({0, 0}, {"only"}), data, 5000), target));
    EXPECT_EQ(target.files["C:\\Dest\\only"], data);
    EXPECT_EQ(target.started.size(), 1u);
}

TEST(PayloadArchive, DamagedTablesAreArchiveErrorsBeforeAnyFileIsCreated) {
    const Bytes data = Pattern(100, 3);
    struct Case {
        const char* what;
        Bytes table;
        std::uint32_t total;
    } cases[] = {
        {"no terminator", Table({0, 10, 20}, {}), 100},
        {"shorter than the first offset", Bytes{0, 0}, 100},
        {"names run past the end", Table({0, 10, 0}, {"a"}), 100},
        {"name length cut",
         [] {
             Bytes t = Table({0, 0}, {});
             t.push_back(5);
             return t;
         }(),
         100},
        {"name bytes cut",
         [] {
             Bytes t = Table({0, 0}, {"abcdef"});
             t.resize(t.size() - 2);
             return t;
         }(),
         100},
        {"offsets decrease", Table({0, 50, 20, 0}, {"a", "b", "c"}), 100},
        {"offset past the total", Table({0, 101, 0}, {"a", "b"}), 100},
    };
    for (const Case& c : cases) {
        MemoryTarget target;
        const Bytes resource = ResourceWithTable(c.table, data, c.total);
        EXPECT_FALSE(Extract(resource, target)) << c.what;
        // The estimate falls back to the total size.
        EXPECT_EQ(RequiredSpace(resource.data(), static_cast<std::uint32_t>(resource.size()), 4096),
                  c.total)
            << c.what;
        EXPECT_TRUE(target.opened.empty()) << c.what;
    }
}

TEST(PayloadArchive, NamesThatLeaveTheFolderAreArchiveErrors) {
    const Bytes data = Pattern(20, 3);
    for (const std::string& bad :
         std::vector<std::string>{"..\\evil.exe", "a\\..\\..\\b", "\\Windows\\x", "C:\\x", "C:x",
                                  "a\\b:stream", "a/../../b", "/etc/x", "\x10..\\x", "...\\x",
                                  ". .\\x", "a\\..", "", std::string("a\0b", 3)}) {
        MemoryTarget target;
        EXPECT_FALSE(Extract(ResourceWithTable(Table({0, 10, 0}, {"fine", bad}), data, 20), target))
            << bad;
        EXPECT_TRUE(target.opened.empty()) << bad;
    }
    for (const char* good : {"a\\b.c", "..a", "a..b\\c", ".profile", "\x10\xC3\xA9", "a\\.\\b"}) {
        EXPECT_TRUE(IsSafeRelativePath(good)) << good;
    }
}

TEST(PayloadArchive, ADataStreamShorterThanItsTotalIsAnArchiveError) {
    const Bytes data = Pattern(3000, 4);
    MemoryTarget target;
    EXPECT_FALSE(Extract(ResourceWithTable(Table({0, 1000, 0}, {"a", "b"}), data, 3001), target));
    // What arrived stays, and every opened file was closed.
    EXPECT_EQ(target.files["C:\\Dest\\a"], Bytes(data.begin(), data.begin() + 1000));
    EXPECT_EQ(target.closed, 2);

    // The data block itself cut short.
    Bytes resource = ResourceWithTable(Table({0, 1000, 0}, {"a", "b"}), data, 3000);
    const std::uint32_t cut = 200;
    resource.resize(resource.size() - cut);
    const std::size_t qAt = resource.size() - (PackBlock(data).size() - cut) - 4;
    const std::uint32_t q = static_cast<std::uint32_t>(PackBlock(data).size()) - cut;
    for (int i = 0; i < 4; ++i) resource[qAt + i] = static_cast<std::uint8_t>(q >> (8 * i));
    MemoryTarget cutTarget;
    EXPECT_FALSE(Extract(resource, cutTarget));
}

TEST(PayloadArchive, FieldsPastTheResourceRaiseTheReaderAssertions) {
    const Bytes full = Pack({{"a", Pattern(10, 1)}});
    const std::uint32_t p = full[8] | full[9] << 8;
    const std::string at376 =
        "Assertion failed: , file installer/ZembricoInstall/InstallerThread, line 376";
    const std::string at383 =
        "Assertion failed: , file installer/ZembricoInstall/InstallerThread, line 383";
    struct Case {
        std::size_t keep;
        const std::string& message;
    } cases[] = {
        {0, at376},
        {3, at376},
        {7, at376},
        {11, at376},          // header fields
        {12 + p - 1, at383},  // table block
        {12 + p, at376},
        {12 + p + 3, at376},       // data size field
        {full.size() - 1, at383},  // data block
    };
    for (const Case& c : cases) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(c.keep));
        MemoryTarget target;
        try {
            Extract(cut, target);
            ADD_FAILURE() << "no assertion with " << c.keep << " bytes";
        } catch (const PAssert& e) {
            EXPECT_EQ(std::string(e.why()), c.message) << c.keep;
        }
    }
    EXPECT_THROW(RequiredSpace(full.data(), 7, 0), PAssert);
    EXPECT_THROW(RequiredSpace(full.data(), 12 + p - 1, 4096), PAssert);
}

TEST(PayloadArchive, ATargetExceptionLeavesTheStartedFileClosedAndLaterFilesAbsent) {
    MemoryTarget target;
    target.throwAtIndex = 2;
    EXPECT_THROW(
        Extract(Pack({{"a", Pattern(10, 1)}, {"b", Pattern(10, 2)}, {"c", Pattern(10, 3)}}),
                target),
        PInternalError);
    EXPECT_EQ(target.opened, (std::vector<std::string>{"C:\\Dest\\a", "C:\\Dest\\b"}));
    EXPECT_EQ(target.closed, 2);
    EXPECT_TRUE(target.files["C:\\Dest\\b"].empty());
}

TEST(PayloadArchive, AStopAtTheFirstFileClosesIt) {
    MemoryTarget target;
    target.throwAtIndex = 1;
    EXPECT_THROW(Extract(Pack({{"a", Pattern(10, 1)}, {"b", Pattern(10, 2)}}), target),
                 PInternalError);
    EXPECT_EQ(target.opened, (std::vector<std::string>{"C:\\Dest\\a"}));
    EXPECT_EQ(target.closed, 1);
}

TEST(PayloadArchive, AFileWithoutHandleIsDecodedAndDiscarded) {
    MemoryTarget target;
    target.discardPath = "C:\\Dest\\user.ini";
    const Bytes after = Pattern(700, 6);
    ASSERT_TRUE(Extract(Pack({{"a", Pattern(500, 1)}, {"user.ini", Pattern(900, 2)}, {"z", after}}),
                        target));
    EXPECT_TRUE(target.files["C:\\Dest\\user.ini"].empty());
    EXPECT_EQ(target.files["C:\\Dest\\z"], after);
}

TEST(RequiredSpace, CountsWholeClustersPerFile) {
    const Bytes resource = Pack({{"a", Pattern(1, 1)},
                                 {"b", Pattern(4096, 2)},
                                 {"c", {}},
                                 {"d", Pattern(4097, 3)},
                                 {"e", Pattern(10000, 4)}});
    const auto size = static_cast<std::uint32_t>(resource.size());
    EXPECT_EQ(RequiredSpace(resource.data(), size, 0), 1u + 4096 + 4097 + 10000);
    EXPECT_EQ(RequiredSpace(resource.data(), size, 4096), 4096u * (1 + 1 + 0 + 2 + 3));
    EXPECT_EQ(RequiredSpace(resource.data(), size, 512), 512u * (1 + 8 + 0 + 9 + 20));
}

TEST(RequiredSpace, ClusterSizeZeroDoesNotDecode) {
    Bytes header;
    AppendU32Le(header, 77);
    AppendU32Le(header, 123456);
    EXPECT_EQ(RequiredSpace(header.data(), 8, 0), 123456u);
}

TEST(PayloadWriter, RefusesWhatTheFormatCannotHold) {
    EXPECT_THROW(PayloadWriter().finish(), PInternalError);
    PayloadWriter allEmpty;
    allEmpty.beginFile("a");
    allEmpty.beginFile("b");
    EXPECT_THROW(allEmpty.finish(), PInternalError);
    EXPECT_THROW(PayloadWriter().beginFile("..\\x"), PInternalError);
    EXPECT_THROW(PayloadWriter().beginFile(std::string(70000, 'a')), PInternalError);

    // One empty file alone is fine.
    PayloadWriter one;
    one.beginFile("empty");
    MemoryTarget target;
    ASSERT_TRUE(Extract(one.finish(), target));
    EXPECT_EQ(target.opened, (std::vector<std::string>{"C:\\Dest\\empty"}));
}
