#include "plib/winseam/plibrary.h"

#include <gtest/gtest.h>

#include <thread>

#include "plib/psystem.h"
#include "plib/winseam/pcriticalsection.h"

namespace {

TEST(PLibrary, SearchChoicesMapToTheirLoadFlags) {
    const std::pair<PLibrarySearch, std::uint32_t> table[] = {
        {PLibrarySearch::kSystemDirectory, 0x0800},
        {PLibrarySearch::kApplicationDirectory, 0x0200},
        {PLibrarySearch::kDefaultDirectories, 0x1000},
        {PLibrarySearch::kLibraryDirectory, 0x0100},
        {PLibrarySearch::kSystemAndLibraryDirectory, 0x0900},
        {PLibrarySearch::kApplicationAndLibraryDirectory, 0x0300},
        {PLibrarySearch::kDefaultAndLibraryDirectory, 0x1100},
        {PLibrarySearch::kUnrestricted, 0},
    };
    for (const auto& [choice, flags] : table) {
        EXPECT_EQ(PLibraryLoadFlags(choice), flags) << static_cast<int>(choice);
    }
}

TEST(PLibrary, LoadsFromTheSystemDirectoryAndFindsFunctions) {
    EXPECT_TRUE(PRestrictedLibrarySearch());
    const PLibrary shell("shell32", PLibrarySearch::kSystemDirectory);
    ASSERT_TRUE(shell.loaded());
    EXPECT_NE(shell.function<void*>("ShellExecuteExW"), nullptr);
    EXPECT_EQ(shell.function<void*>("NoSuchFunctionZb"), nullptr);
}

TEST(PLibrary, MissingLibraryIsNotLoaded) {
    const PLibrary missing("zembrico_no_such_library", PLibrarySearch::kSystemDirectory);
    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(missing.function<void*>("Anything"), nullptr);
}

TEST(PTryEnterCriticalSection, IsFoundAndDoesNotWaitForAnOwnedSection) {
    const PTryEnterCriticalSectionFn tryEnter = PTryEnterCriticalSectionFunction();
    ASSERT_NE(tryEnter, nullptr);
    EXPECT_TRUE(PTryLockSupported());
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    BOOL enteredElsewhere = TRUE;
    std::thread([&] { enteredElsewhere = tryEnter(&section); }).join();
    EXPECT_FALSE(enteredElsewhere);
    LeaveCriticalSection(&section);
    std::thread([&] {
        enteredElsewhere = tryEnter(&section);
        if (enteredElsewhere) LeaveCriticalSection(&section);
    }).join();
    EXPECT_TRUE(enteredElsewhere);
    DeleteCriticalSection(&section);
}

}  // namespace
