#include "tools/core/payloadfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "installer/core/memoryextracttarget.h"

namespace {

class TempFolder {
  public:
    TempFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("zb_payload_" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    void write(const std::string& relative, const Bytes& data) const {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace

TEST(PayloadFolder, RoundTripIsByteForByteWithProgressOncePerFile) {
    const std::vector<File> files = {
        {"a.bin", Pattern(3000, 1)},
        {"big\\client.dat", Pattern(3 * 1024 * 1024 + 123, 2)},
        {"big\\empty_between", {}},
        {"big\\nested\\deeper\\x.txt", Pattern(1, 3)},
        {"big\\nested\\y.txt", Pattern(1024, 4)},
        {"m.dat", Pattern(2048, 5)},
        {"zero", {}},
        {"zz_empty_last", {}},
    };
    TempFolder folder;
    for (const File& f : files) {
        std::string native = f.name;
        std::replace(native.begin(), native.end(), '\\', '/');
        folder.write(native, f.data);
    }
    const Bytes resource = PackPayloadFolder(folder.path());

    MemoryTarget target;
    std::vector<std::string> log;
    ASSERT_TRUE(Extract(resource, target, &log));
    ASSERT_EQ(target.started.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(target.started[i].count, files.size());
        EXPECT_EQ(target.started[i].index, i + 1);
        EXPECT_EQ(target.started[i].path, files[i].name);
        EXPECT_EQ(target.opened[i], "C:\\Dest\\" + files[i].name);
        EXPECT_EQ(target.files["C:\\Dest\\" + files[i].name], files[i].data) << files[i].name;
    }
    EXPECT_EQ(target.closed, static_cast<int>(files.size()));
    EXPECT_EQ(log, (std::vector<std::string>{"\nExtracting files:", "\n"}));
}
