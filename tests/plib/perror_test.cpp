#include "plib/perror.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "plib/pstring.h"

namespace {

// Installs a message source for one test and restores the previous one.
class MessageSourceScope {
  public:
    explicit MessageSourceScope(PSystemMessageSource source)
        : previous_(PSetSystemMessageSource(source)) {}
    ~MessageSourceScope() { PSetSystemMessageSource(previous_); }

  private:
    PSystemMessageSource previous_;
};

bool NoText(std::int32_t, char*, std::size_t) {
    return false;
}

bool AccessDeniedText(std::int32_t code, char* buffer, std::size_t size) {
    if (code != 5) {
        return false;
    }
    std::strncpy(buffer, "Access is denied.\r\n", size);
    return true;
}

bool OverlongText(std::int32_t, char* buffer, std::size_t size) {
    std::memset(buffer, 'x', size);  // no terminator anywhere
    return true;
}

class RecordingHook : public PErrorHook {
  public:
    explicit RecordingHook(std::vector<std::string>& seen) : seen_(seen) {}
    void onError(const char* message) noexcept override { seen_.emplace_back(message); }

  private:
    std::vector<std::string>& seen_;
};

// Removes the process-wide hook when a test ends, whatever happened.
struct HookScope {
    ~HookScope() { PErrorSetHook(nullptr); }
};

TEST(PErrorTest, PlainClassesCarryTheGivenText) {
    EXPECT_STREQ(PError("a").why(), "a");
    EXPECT_STREQ(PInternalError("b").why(), "b");
    EXPECT_STREQ(PFatalError("c").why(), "c");
    EXPECT_STREQ(PParserError("d").why(), "d");
    EXPECT_STREQ(PI18NError("UTF-8 format error").why(), "UTF-8 format error");
    EXPECT_STREQ(PError(nullptr).why(), "");
}

TEST(PErrorTest, AssertionMessageForm) {
    EXPECT_STREQ(PAssert("n <= capacity_", "plib/pblock.cpp", 117).why(),
                 "Assertion failed: n <= capacity_, file plib/pblock.cpp, line 117");
    EXPECT_STREQ(PAssert("", "plib/pplogfile", 1018).why(),
                 "Assertion failed: , file plib/pplogfile, line 1018");
}

TEST(PErrorTest, AssertMacroNamesTheExpressionAndARepositoryPath) {
    const int line = __LINE__ + 2;
    try {
        PASSERT(1 + 1 == 3);
        FAIL() << "no throw";
    } catch (const PAssert& e) {
        const std::string expected =
            "Assertion failed: 1 + 1 == 3, file tests/plib/perror_test.cpp, line " +
            std::to_string(line);
        EXPECT_EQ(e.why(), expected);
    }
    EXPECT_NO_THROW(PASSERT(2 > 1));
}

TEST(PErrorTest, MemoryErrorShowsTheSizeInUpperCaseHex) {
    EXPECT_STREQ(PSystemMemoryError("_PBlock::_realloc, number of bytes requested", 0xABCDEF).why(),
                 "_PBlock::_realloc, number of bytes requested: 0xABCDEF");
    EXPECT_STREQ(PSystemMemoryError("'new', number of bytes requested", 0).why(),
                 "'new', number of bytes requested: 0x0");
    EXPECT_STREQ(PSystemMemoryError("big", 0x123456789ull).why(), "big: 0x123456789");
}

struct CodeCase {
    std::int32_t code;
    const char* expected;
};

class UnknownCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(UnknownCodeTest, GivesDecimalAndHexadecimal) {
    MessageSourceScope scope(&NoText);
    const PSystemError e("text", GetParam().code);
    EXPECT_STREQ(e.why(), GetParam().expected);
    EXPECT_EQ(e.code(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, UnknownCodeTest,
    testing::Values(CodeCase{12345678, "text: Unknown error (12345678=0xBC614E)"},
                    CodeCase{0, "text: Unknown error (0=0x0)"},
                    CodeCase{-1, "text: Unknown error (-1=0xFFFFFFFF)"},
                    CodeCase{-2147024891, "text: Unknown error (-2147024891=0x80070005)"}));

TEST(PSystemErrorTest, SystemTextHasLineBreaksTurnedIntoSpaces) {
    MessageSourceScope scope(&AccessDeniedText);
    EXPECT_STREQ(PSystemError("CreateFile", 5).why(), "CreateFile: Access is denied.   (5=0x5)");
    EXPECT_STREQ(PSystemError("CreateFile", 6).why(), "CreateFile: Unknown error (6=0x6)");
}

TEST(PSystemErrorTest, AnUnterminatedSystemTextIsCutAtTheBuffer) {
    MessageSourceScope scope(&OverlongText);
    const PSystemError e("t", 1);
    EXPECT_EQ(std::string(e.why()), "t: " + std::string(255, 'x') + " (1=0x1)");
}

TEST(PSystemErrorTest, ExplanationFormHasCodeMinusOne) {
    const PSystemError e("connect", "refused");
    EXPECT_STREQ(e.why(), "connect: refused");
    EXPECT_EQ(e.code(), -1);
}

TEST(PSystemErrorTest, PlatformDefaultSourceNeverBreaksTheForm) {
    // Whatever the platform's table says, the code follows in both radices.
    const std::string message = PSystemError("x", 12345678).why();
    EXPECT_TRUE(message.ends_with("(12345678=0xBC614E)")) << message;
    EXPECT_TRUE(message.starts_with("x: ")) << message;
}

TEST(PErrorTest, CopiesOwnTheirMessage) {
    auto* original = new PError("first");
    PError copy(*original);
    delete original;
    EXPECT_STREQ(copy.why(), "first");
    PError assigned("other");
    assigned = copy;
    EXPECT_STREQ(assigned.why(), "first");
    PError moved(std::move(assigned));
    EXPECT_STREQ(moved.why(), "first");
    EXPECT_STREQ(assigned.why(), "");  // NOLINT: moved-from has no message
}

TEST(PErrorHookTest, HookSeesEveryConstructionButNotCopies) {
    HookScope cleanup;
    std::vector<std::string> seen;
    PErrorSetHook(std::make_unique<RecordingHook>(seen));
    EXPECT_TRUE(PErrorHasHook());
    const PError a("one");
    const PSystemMemoryError b("two", 16);
    const PError copy(a);
    EXPECT_EQ(seen, (std::vector<std::string>{"one", "two: 0x10"}));
}

TEST(PErrorHookTest, TraceFlagIsPerThread) {
    HookScope cleanup;
    std::vector<std::string> seen;
    PErrorSetHook(std::make_unique<RecordingHook>(seen));
    EXPECT_TRUE(PErrorTraceEnabled());
    EXPECT_TRUE(PErrorSetTrace(false));
    const PError quiet("quiet");
    std::thread([] { const PError other("other thread"); }).join();
    EXPECT_FALSE(PErrorSetTrace(true));
    const PError loud("loud");
    EXPECT_EQ(seen, (std::vector<std::string>{"other thread", "loud"}));
}

class ThrowingHook : public PErrorHook {
  public:
    explicit ThrowingHook(int& calls) : calls_(calls) {}
    void onError(const char*) noexcept override {
        ++calls_;
        // An error raised inside the hook must not re-enter it.
        const PError inner("inner");
    }

  private:
    int& calls_;
};

TEST(PErrorHookTest, ErrorsInsideTheHookDoNotRecurse) {
    HookScope cleanup;
    int calls = 0;
    PErrorSetHook(std::make_unique<ThrowingHook>(calls));
    const PError outer("outer");
    EXPECT_EQ(calls, 1);
    EXPECT_STREQ(outer.why(), "outer");
}

TEST(PErrorHookTest, RemovedHookIsNotCalled) {
    std::vector<std::string> seen;
    PErrorSetHook(std::make_unique<RecordingHook>(seen));
    PErrorSetHook(nullptr);
    EXPECT_FALSE(PErrorHasHook());
    const PError e("after");
    EXPECT_TRUE(seen.empty());
}

}  // namespace
