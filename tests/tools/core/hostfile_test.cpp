#include "tools/core/hostfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "plib/perror.h"
#include "plib/tempfolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HostFile, WriteReplacesTheWholeFileAndLeavesNothingBeside) {
    TempFolder folder;
    const std::string path = folder.file("setup.exe");
    TempFolder::write(path, std::string(100, 'o'));
    WriteHostFile(path.c_str(), Bytes{'n', 0, 'w'});
    EXPECT_EQ(ReadHostFile(path.c_str()), (Bytes{'n', 0, 'w'}));
    WriteHostFile(path.c_str(), Bytes{});
    EXPECT_EQ(ReadHostFile(path.c_str()), Bytes{});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(HostFile, FailuresNameThePathAndChangeNothing) {
    TempFolder folder;
    const std::string missing = folder.file("nofolder/setup.exe");
    try {
        WriteHostFile(missing.c_str(), Bytes{1});
        ADD_FAILURE() << "wrote into a missing folder";
    } catch (const PInternalError& e) {
        EXPECT_EQ(std::string(e.why()), "cannot write " + missing);
    }
    EXPECT_THROW(ReadHostFile(missing.c_str()), PInternalError);

    // A folder where the file should be: the rename fails, the folder and its content stay.
    const std::string taken = folder.file("taken");
    std::filesystem::create_directory(taken);
    TempFolder::write(folder.file("taken/inside"), "kept");
    EXPECT_THROW(WriteHostFile(taken.c_str(), Bytes{1}), PInternalError);
    EXPECT_EQ(TempFolder::read(folder.file("taken/inside")), "kept");
    EXPECT_FALSE(std::filesystem::exists(taken + ".part"));
}

}  // namespace
