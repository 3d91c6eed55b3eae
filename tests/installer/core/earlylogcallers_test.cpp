// PLog writes nowhere while no log is installed, and the setup program has none until the
// worker opens Install.log: code that may run before then logs with EarlyLog, or its lines are
// lost. Only the install worker's own steps, which run with Install.log open, call PLog.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Files whose lines are all written while Install.log is open (and the queue itself).
const std::set<std::string> kWrittenWithTheLogOpen = {
    "installer/ZembricoInstall/installerworkerthread.cpp",
    "installer/ZembricoInstall/registerinstallation.cpp",
    "installer/ZembricoInstall/settingssteps.cpp",
    "installer/core/earlylogqueue.cpp",
};

// The 1-based numbers of the lines of `text` that call PLog, PLogLevel or PLogV (comments
// aside).
std::vector<int> DroppingCalls(const std::string& text) {
    static const std::regex call(R"(\bPLog(Level|V)?\s*\()");
    std::vector<int> found;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        const std::string code = line.substr(0, line.find("//"));
        if (std::regex_search(code, call)) found.push_back(number);
    }
    return found;
}

TEST(EarlyLogCallers, TheScanFindsEveryFormOfTheCall) {
    EXPECT_EQ(DroppingCalls("a();\n  PLog(\"x\");\nEarlyLog(\"y\");\n PLogLevel (3, \"z\");\n"
                            "// PLog(\"comment\")\nif (PLogIsOn()) PLogV(0, f, args);\n"),
              (std::vector<int>{2, 4, 6}));
}

#if !defined(_WIN32)  // the sources are read where they are checked out
TEST(EarlyLogCallers, NoInstallerCodeOutsideTheWorkerStepsCallsPLog) {
    const fs::path root = fs::path(ZB_TEST_DATA_DIR).parent_path().parent_path();
    for (const std::string& allowed : kWrittenWithTheLogOpen)
        EXPECT_TRUE(fs::exists(root / allowed)) << allowed << " is gone: update the list";
    int scanned = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root / "installer")) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".h") continue;
        const std::string name = entry.path().lexically_relative(root).generic_string();
        ++scanned;
        if (kWrittenWithTheLogOpen.count(name)) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        for (int line : DroppingCalls(std::string(std::istreambuf_iterator<char>(in), {})))
            ADD_FAILURE() << name << ":" << line << " logs with a call that drops the line before "
                          << "Install.log exists: use EarlyLog";
    }
    EXPECT_GT(scanned, 50) << "the installer's sources were not found under " << root;
}
#endif

}  // namespace
