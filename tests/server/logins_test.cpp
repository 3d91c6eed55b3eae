#include "server/logins.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using std::chrono::seconds;

TEST(Logins, TheRightPasswordGivesALoginThatHoldsAndNoOtherDoes) {
    const Logins logins("correct horse", seconds(60));
    EXPECT_FALSE(logins.login("correct hors"));
    EXPECT_FALSE(logins.login("correct horse "));
    EXPECT_FALSE(logins.login(""));
    const auto cookie = logins.login("correct horse");
    ASSERT_TRUE(cookie);
    EXPECT_TRUE(logins.valid(*cookie));
    // Another replica with the same password accepts it; one with another does not.
    EXPECT_TRUE(Logins("correct horse", seconds(1)).valid(*cookie));
    EXPECT_FALSE(Logins("battery staple", seconds(60)).valid(*cookie));
}

TEST(Logins, AChangedOrExpiredLoginIsRefused) {
    const Logins logins("pw", seconds(60));
    const std::string cookie = *logins.login("pw");
    std::string later = cookie;
    later[0] = later[0] == '9' ? '8' : '9';  // another expiry, same MAC
    EXPECT_FALSE(logins.valid(later));
    std::string forged = cookie;
    forged.back() = forged.back() == '0' ? '1' : '0';
    EXPECT_FALSE(logins.valid(forged));
    EXPECT_FALSE(logins.valid(""));
    EXPECT_FALSE(logins.valid("...."));
    EXPECT_FALSE(logins.valid(cookie.substr(0, cookie.rfind('.'))));
    EXPECT_FALSE(Logins("pw", seconds(-1)).valid(*Logins("pw", seconds(-1)).login("pw")));
}

TEST(Logins, WithoutAPasswordNobodyLogsIn) {
    const Logins logins("", seconds(60));
    EXPECT_FALSE(logins.enabled());
    EXPECT_FALSE(logins.login(""));
}

TEST(Logins, FindsItsCookieAmongOthers) {
    EXPECT_EQ(Logins::FromCookieHeader("a=1; zbserve_login=v.w.x; b=2"), "v.w.x");
    EXPECT_EQ(Logins::FromCookieHeader("zbserve_login_other=1"), "");
    EXPECT_EQ(Logins::FromCookieHeader(""), "");
}

TEST(Logins, ThePasswordFileGivesItsFirstLine) {
    const auto file = std::filesystem::temp_directory_path() / "zbserve-password-test";
    std::ofstream(file) << "s3cret\r\nsecond line\n";
    EXPECT_EQ(ReadPassword(file.string(), "ignored"), "s3cret");
    EXPECT_EQ(ReadPassword("", "from the environment"), "from the environment");
    std::filesystem::remove(file);
    EXPECT_THROW(ReadPassword(file.string(), ""), std::runtime_error);
}

}  // namespace
