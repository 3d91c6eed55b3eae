#include "installer/ZembricoInstall/systemprobes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "installer/core/capturelog.h"
#include "plib/tempfolder.h"
#include "plib/win/widenarrowscope.h"
#include "plib/winseam/unique.h"

namespace {

// A version source with fixed answers.
class FixedVersion final : public VersionSource {
  public:
    FixedVersion(std::optional<WindowsVersion> version, std::uint32_t word)
        : version_(version), word_(word) {}
    std::optional<WindowsVersion> versionEx() const override { return version_; }
    std::uint32_t versionWord() const override { return word_; }

  private:
    std::optional<WindowsVersion> version_;
    std::uint32_t word_;
};

class ThrowingVersion final : public VersionSource {
  public:
    std::optional<WindowsVersion> versionEx() const override {
        throw std::runtime_error("no version");
    }
    std::uint32_t versionWord() const override { return 0; }
};

const FixedVersion kWindows10({WindowsVersion{10, 0, 19045, 2}}, 0x4A65000A);
const FixedVersion kWindowsXp({WindowsVersion{5, 1, 2600, 2}}, 0x0A280105);
const FixedVersion kWindows98({WindowsVersion{4, 10, 2222, 1}}, 0xC0000A04);

class WineProbeTest : public testing::Test {
  protected:
    // Every test starts from and returns to the automatic choice of forms.
    WideNarrowScope scope_{0};
    TempFolder root_;
};

TEST_F(WineProbeTest, TrueUnderWineAndKeepsTheWideForms) {
    EXPECT_TRUE(DetectWine(SystemVersion(), PString("")));
    EXPECT_EQ(PWideNarrowOverride(), 0);
    EXPECT_TRUE(PUseWideCalls());
}

TEST_F(WineProbeTest, FalseWhenTheUnixFoldersAreNotVisible) {
    const PString root(root_.path().string().c_str());
    EXPECT_FALSE(DetectWine(SystemVersion(), root));
    EXPECT_EQ(PWideNarrowOverride(), 0);
    // Two of the three are not enough; a file does not stand for a folder.
    std::filesystem::create_directory(root_.path() / "etc");
    std::filesystem::create_directory(root_.path() / "bin");
    TempFolder::write(root_.file("usr"), "not a folder");
    EXPECT_FALSE(DetectWine(SystemVersion(), root));
    std::filesystem::remove(root_.path() / "usr");
    std::filesystem::create_directory(root_.path() / "usr");
    EXPECT_TRUE(DetectWine(SystemVersion(), root));
}

TEST_F(WineProbeTest, FalseForAFailedOrImplausibleVersion) {
    EXPECT_FALSE(DetectWine(FixedVersion(std::nullopt, 0), PString("")));
    EXPECT_FALSE(DetectWine(FixedVersion({WindowsVersion{3, 51, 1057, 2}}, 0x3303), PString("")));
    EXPECT_EQ(PWideNarrowOverride(), 0);
    EXPECT_TRUE(DetectWine(kWindowsXp, PString("")));
}

TEST_F(WineProbeTest, AnErrorInAStageIsLoggedAndTheProbeGoesOn) {
    ScopedCaptureLog log;
    EXPECT_TRUE(DetectWine(ThrowingVersion(), PString("")));
    EXPECT_EQ(log.lines(), std::vector<std::string>{"Error in detect Linux"});
}

TEST_F(WineProbeTest, LinuxFlagKeepsTheAnswer) {
    EXPECT_TRUE(DetectLinux());
    EXPECT_TRUE(IsLinux());
}

TEST(AdministratorProbe, TrueInThePrefix) {
    EXPECT_TRUE(IsAdministrator());
}

// A filtered token lists Administrators only for denying access; it still counts.
TEST(AdministratorProbe, DenyOnlyGroupCounts) {
    HANDLE raw = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &raw));
    const UniqueHandle token(raw);
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                         DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                         &administrators));
    SID_AND_ATTRIBUTES disable{administrators, 0};
    HANDLE rawFiltered = nullptr;
    const BOOL made =
        CreateRestrictedToken(token.get(), 0, 1, &disable, 0, nullptr, 0, nullptr, &rawFiltered);
    const UniqueHandle filtered(rawFiltered);
    ASSERT_TRUE(made);

    DWORD size = 0;
    GetTokenInformation(filtered.get(), TokenGroups, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    ASSERT_TRUE(GetTokenInformation(filtered.get(), TokenGroups, buffer.data(), size, &size));
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    bool denyOnly = false;
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        if (EqualSid(groups->Groups[i].Sid, administrators)) {
            denyOnly = (groups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0;
        }
    }
    FreeSid(administrators);
    if (!denyOnly) GTEST_SKIP() << "this system does not mark disabled groups deny-only";
    EXPECT_TRUE(TokenListsAdministrators(filtered.get()));
}

TEST(AdministratorProbe, FalseForATokenThatCannotBeRead) {
    EXPECT_FALSE(TokenListsAdministrators(nullptr));
}

TEST(Windows64Probe, TrueForThis32BitProgramOnA64BitPrefix) {
    static_assert(sizeof(void*) == 4);
    EXPECT_TRUE(IsWindows64());
}

TEST(SystemFacts, GatheredFromTheVersionSourceAndTheSystem) {
    const SystemFacts ten = GatherSystemFacts(kWindows10);
    EXPECT_FALSE(ten.legacyWindows);
    EXPECT_TRUE(ten.vistaOrLater);
    EXPECT_TRUE(ten.administrator);
    EXPECT_TRUE(ten.windows64);

    const SystemFacts xp = GatherSystemFacts(kWindowsXp);
    EXPECT_FALSE(xp.legacyWindows);
    EXPECT_FALSE(xp.vistaOrLater);

    const SystemFacts old = GatherSystemFacts(kWindows98);
    EXPECT_TRUE(old.legacyWindows);
    EXPECT_FALSE(old.vistaOrLater);

    InstallParameters params;
    ApplySystemFacts(SystemFacts{true, false, true, false}, params);
    EXPECT_EQ(params.oldWindows, 1);
    EXPECT_EQ(params.hasAdminRights, 0);
    EXPECT_EQ(params.useLocalAppData, 1);
    EXPECT_EQ(params.isWow64, 0);
}

TEST(SystemVersion, AnswersWithTheNtPlatform) {
    const std::optional<WindowsVersion> version = SystemVersion().versionEx();
    ASSERT_TRUE(version);
    EXPECT_EQ(version->platformId, kPlatformWin32Nt);
    EXPECT_GE(version->major, 5u);
    EXPECT_EQ(SystemVersion().versionWord() & 0xFF, version->major);
}

}  // namespace
