#include "plib/pruntimehandlers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "plib/plogfile.h"
#include "plogtesting.h"
#include "tempfolder.h"

namespace {

// Death tests start the test program again; under Wine that costs more than it shows, and the
// handler is the same code there.
#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
std::string LastLine(const std::string& path) {
    const auto lines = LogLines(TempFolder::read(path));
    return lines.empty() ? "" : lines.back();
}

class Base {
  public:
    Base() { callHook(); }
    virtual ~Base() = default;
    virtual void hook() = 0;

  private:
    // Called from the constructor, before Derived exists: the pure function is what runs.
    void callHook() { hook(); }
};

class Derived : public Base {
  public:
    void hook() override {}
};

TEST(PRuntimeHandlers, PureCallIsLoggedBeforeTheProcessEnds) {
    TempFolder folder;
    const std::string path = folder.file("pure.log");
    EXPECT_DEATH(
        {
            PLogSetThreadLogger(std::make_shared<PLogFile>(path.c_str(), 0, nullptr));
            Derived d;
        },
        "");
    EXPECT_EQ(LastLine(path), "*** PureCall ***");
}

TEST(PRuntimeHandlers, AbortIsLoggedOnceInstalled) {
    TempFolder folder;
    const std::string path = folder.file("abort.log");
    EXPECT_DEATH(
        {
            PInstallRuntimeHandlers();
            PLogSetThreadLogger(std::make_shared<PLogFile>(path.c_str(), 0, nullptr));
            std::abort();
        },
        "");
    EXPECT_EQ(LastLine(path), "abort() called");
}
#endif

}  // namespace
