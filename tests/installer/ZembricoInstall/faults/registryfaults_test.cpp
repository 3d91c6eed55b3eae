#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "installer/ZembricoInstall/wholeinstalltest.h"
#include "installer/core/installcodes.h"
#include "installer/core/registrationplan.h"
#include "plib/winseam/unique.h"

namespace {

class RegistryFaultTest : public WholeInstallTest {
  protected:
    void TearDown() override {
        if (!volatileKey_.empty()) RegDeleteTreeA(HKEY_LOCAL_MACHINE, volatileKey_.c_str());
        WholeInstallTest::TearDown();
    }

    // Everything but the registration is done; nothing after it is.
    void ExpectRegistryErrorOutcome() {
        EXPECT_EQ(Install(), ProgressThen(Files().size(), kInstallRegistryError));
        ExpectEveryFileInstalled();
        ExpectNoSettingsFiles();
        const std::vector<std::string> lines = LogLines(Installed("Install.log"));
        EXPECT_GE(FindLine(lines,
                           "Registry write error, maybe caused by access right not enough, "
                           "uninstaller may not work properly."),
                  0);
        EXPECT_LT(FindLineStarting(lines, "Universal installation detected"), 0);
        EXPECT_GE(FindLine(lines, "Install finished"), 0);
    }

    std::string volatileKey_;
};

TEST_F(RegistryFaultTest, KeyNameTooLongForTheRegistry) {
    params_.displayName = "ZbFault " + std::string(300, 'k');
    ExpectRegistryErrorOutcome();
    EXPECT_FALSE(KeyExists(Key()));
}

TEST_F(RegistryFaultTest, KeyThatCannotBeMadeBelowAVolatileOne) {
    // A volatile key takes no lasting subkey: every value of the entry fails.
    const std::string parent = "ZbFaultVolatile " + std::to_string(GetCurrentProcessId());
    volatileKey_ = kUninstallKeyPrefix + parent;
    HKEY made = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, volatileKey_.c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &made, nullptr),
              ERROR_SUCCESS);
    UniqueRegKey owner(made);
    params_.displayName = parent + "\\entry";
    ExpectRegistryErrorOutcome();
    EXPECT_FALSE(KeyExists(Key()));
}

}  // namespace
