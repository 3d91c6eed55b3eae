#include "plib/psystemmessage.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "plib/perror.h"
#include "plib/pstring.h"

namespace {

TEST(SystemMessageTest, WindowsProgramsGetTheSystemTextWithoutLineBreaks) {
    const std::string message = PSystemError("CreateFile", ERROR_ACCESS_DENIED).why();
    EXPECT_TRUE(message.starts_with("CreateFile: ")) << message;
    EXPECT_TRUE(message.ends_with(" (5=0x5)")) << message;
    EXPECT_EQ(message.find("Unknown error"), std::string::npos) << message;
    EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << message;
    EXPECT_GT(message.size(), std::string("CreateFile:  (5=0x5)").size()) << message;
}

TEST(SystemMessageTest, CodesTheSystemDoesNotKnowKeepTheUnknownForm) {
    EXPECT_STREQ(PSystemError("text", 12345678).why(), "text: Unknown error (12345678=0xBC614E)");
}

TEST(SystemMessageTest, PlatformSourceIsTheDefault) {
    char buffer[256];
    const PSystemMessageSource source = PPlatformSystemMessageSource();
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source(ERROR_FILE_NOT_FOUND, buffer, sizeof buffer));
    EXPECT_FALSE(source(12345678, buffer, sizeof buffer));
}

}  // namespace
