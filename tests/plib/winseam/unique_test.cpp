#include "plib/winseam/unique.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> closed;

struct CountingTraits {
    using Handle = int;
    static Handle empty() noexcept { return -1; }
    static void close(Handle h) noexcept { closed.push_back(h); }
};
using UniqueCounted = UniqueAny<CountingTraits>;

class UniqueTest : public ::testing::Test {
  protected:
    void SetUp() override { closed.clear(); }
};

TEST_F(UniqueTest, MovedHandleIsClosedOnceByItsLastOwner) {
    {
        UniqueCounted a(7);
        UniqueCounted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        UniqueCounted c;
        c = std::move(b);
        EXPECT_TRUE(closed.empty());
    }
    EXPECT_EQ(closed, std::vector<int>{7});
}

TEST_F(UniqueTest, ResetClosesTheOldHandleAndReleaseClosesNothing) {
    UniqueCounted a(1);
    a.reset(2);
    EXPECT_EQ(closed, std::vector<int>{1});
    EXPECT_EQ(a.release(), 2);
    EXPECT_FALSE(a);
    a.reset();
    EXPECT_EQ(closed, std::vector<int>{1});
}

TEST_F(UniqueTest, MoveAssignmentClosesTheTargetsOwnHandle) {
    UniqueCounted a(3);
    UniqueCounted b(4);
    a = std::move(b);
    EXPECT_EQ(closed, std::vector<int>{3});
    EXPECT_EQ(a.get(), 4);
}

TEST_F(UniqueTest, FileOwnersTreatInvalidHandleValueAsEmpty) {
    UniqueFile file(::CreateFileW(L"Z:\\no\\such\\folder\\file.txt", GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(file);
    UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    EXPECT_TRUE(event);
}

TEST_F(UniqueTest, ScopeExitRunsUnlessDismissed) {
    int runs = 0;
    {
        ScopeExit a([&] { ++runs; });
        ScopeExit b([&] { runs += 10; });
        b.dismiss();
    }
    EXPECT_EQ(runs, 1);
}

}  // namespace
