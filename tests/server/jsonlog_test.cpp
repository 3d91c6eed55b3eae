#include "server/jsonlog.h"

#include <gtest/gtest.h>

#include <vector>

#include "installer/core/earlylogqueue.h"

namespace {

class JsonLog : public ::testing::Test {
  protected:
    JsonLog() {
        previous_ = SetLogSink([this](std::string_view line) { lines_.emplace_back(line); });
    }
    ~JsonLog() override { SetLogSink(previous_); }

    std::vector<std::string> lines_;
    LogSink previous_;
};

TEST_F(JsonLog, WritesOneObjectPerLineWithItsFields) {
    LogEvent("listening").text("address", "127.0.0.1:80").number("threads", -2);
    ASSERT_EQ(lines_.size(), 1u);
    const std::string& line = lines_[0];
    EXPECT_TRUE(line.starts_with("{\"time\":\"")) << line;
    EXPECT_NE(line.find("Z\",\"event\":\"listening\",\"address\":\"127.0.0.1:80\","
                        "\"threads\":-2}\n"),
              std::string::npos)
        << line;
}

TEST_F(JsonLog, EscapesQuotesControlsAndBytesThatAreNotUtf8) {
    // 0xFF is no UTF-8 byte; E2 82 is a sequence cut off: one U+FFFD per byte.
    LogEvent("e").text("v", "a\"b\\c\n\x01\x7f\xc3\xa9\xff\xe2\x82");
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_NE(lines_[0].find(R"("v":"a\"b\\c\n\u0001\u007f)"
                             "\xc3\xa9"
                             R"(\ufffd\ufffd\ufffd")"),
              std::string::npos)
        << lines_[0];
    EXPECT_EQ(lines_[0].find('\n'), lines_[0].size() - 1);
}

TEST_F(JsonLog, TheCoreCodesLinesBecomeEventsInsteadOfWaitingForAnInstallationLog) {
    {
        CoreLogGuard guard;
        EXPECT_TRUE(lines_.empty()) << lines_[0];
        EarlyLog("Tracking data: value of %s refused", "GID");
    }
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_NE(lines_[0].find(R"("event":"core","message":"Tracking data: value of GID refused")"),
              std::string::npos);
}

}  // namespace
