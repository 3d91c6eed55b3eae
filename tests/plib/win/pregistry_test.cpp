#include "plib/win/pregistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plib/pstringencoding.h"
#include "plib/win/widenarrowscope.h"

namespace {

const PStringEncoding* const kMixed = &PMixedEncoding();

// Each test works below a key of its own in HKEY_CURRENT_USER, deleted afterwards.
class PRegistryTest : public testing::Test {
  protected:
    void SetUp() override {
        base_ = "Software\\ZembricoTests\\win-" + std::to_string(GetCurrentProcessId()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(PRegCreateKey(HKEY_CURRENT_USER, PString(base_.c_str()), 0, KEY_ALL_ACCESS, key_),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        key_.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZembricoTests");
    }
    PString below(const char* path) const { return PString((base_ + "\\" + path).c_str()); }
    bool keyExists(const char* path) const {
        UniqueRegKey key;
        return PRegOpenKey(HKEY_CURRENT_USER, below(path), 0, KEY_READ, key) == ERROR_SUCCESS;
    }
    void setRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
    }
    std::wstring rawString(const wchar_t* name) const {
        wchar_t data[256] = {};
        DWORD size = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        if (RegQueryValueExW(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data),
                             &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            return L"(absent)";
        }
        return data;
    }

    std::string base_;
    UniqueRegKey key_;
};

TEST_F(PRegistryTest, StringsRoundTripThroughTheEncoding) {
    PString text;
    PUtf16ToPString(text, L"C:\\Programme\\caf\u00E9 \u03A9");
    ASSERT_EQ(PRegWriteString(key_.get(), "Path", text.c_str(), kMixed), ERROR_SUCCESS);
    EXPECT_EQ(rawString(L"Path"), L"C:\\Programme\\caf\u00E9 \u03A9");
    // Reading appends: the earlier text stays in front.
    PString out("kept:");
    ASSERT_EQ(PRegReadString(key_.get(), "Path", out, kMixed), ERROR_SUCCESS);
    PString expected;
    PUtf16ToPString(expected, L"kept:C:\\Programme\\caf\u00E9 \u03A9");
    EXPECT_EQ(std::string(out.view()), std::string(expected.view()));
}

TEST_F(PRegistryTest, AbsentEmptyAndNonStringValuesLeaveTheOutputUnchanged) {
    setRaw(L"Empty", REG_SZ, L"", 0);
    const DWORD number = 42;
    setRaw(L"Number", REG_DWORD, &number, sizeof number);
    setRaw(L"Bytes", REG_BINARY, "abc", 3);
    for (const char* name : {"Absent", "Empty", "Number", "Bytes"}) {
        PString out("unchanged");
        EXPECT_EQ(PRegReadString(key_.get(), name, out, kMixed), ERROR_SUCCESS) << name;
        EXPECT_EQ(out, "unchanged") << name;
    }
}

TEST_F(PRegistryTest, ExpandableStringsAreReadUnexpanded) {
    const wchar_t value[] = L"%SystemRoot%\\x";
    setRaw(L"Expand", REG_EXPAND_SZ, value, sizeof value);
    PString out;
    ASSERT_EQ(PRegReadString(key_.get(), "Expand", out, kMixed), ERROR_SUCCESS);
    EXPECT_EQ(out, "%SystemRoot%\\x");
}

TEST_F(PRegistryTest, StringStoredWithoutTerminatorIsReadWhole) {
    setRaw(L"Bare", REG_SZ, L"abc", 3 * sizeof(wchar_t));
    PString out;
    ASSERT_EQ(PRegReadString(key_.get(), "Bare", out, kMixed), ERROR_SUCCESS);
    EXPECT_EQ(out, "abc");
}

TEST_F(PRegistryTest, ReadFromAClosedKeyGivesTheSystemError) {
    PString out("x");
    EXPECT_EQ(PRegReadString(nullptr, "Any", out, kMixed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(out, "x");
}

TEST_F(PRegistryTest, WriteWithoutNameOrTextWritesNothing) {
    EXPECT_EQ(PRegWriteString(key_.get(), nullptr, "text", kMixed), ERROR_SUCCESS);
    EXPECT_EQ(PRegWriteString(key_.get(), "Name", nullptr, kMixed), ERROR_SUCCESS);
    DWORD values = 1;
    ASSERT_EQ(RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &values, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 0u);
}

TEST_F(PRegistryTest, DwordWrite) {
    ASSERT_EQ(PRegWriteDword(key_.get(), "Language", 7, kMixed), ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(key_.get(), L"Language", nullptr, &type,
                               reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 7u);
}

TEST_F(PRegistryTest, MissingChainOfKeysIsCreatedTopDown) {
    EXPECT_FALSE(keyExists("a"));
    const UniqueRegKey key = POpenOrCreateKeyPath(HKEY_CURRENT_USER, below("a\\b\\c"));
    ASSERT_TRUE(key);
    EXPECT_TRUE(keyExists("a"));
    EXPECT_TRUE(keyExists("a\\b"));
    EXPECT_TRUE(keyExists("a\\b\\c"));
    // An existing key opens with full access: reading works through the same handle.
    ASSERT_EQ(PRegWriteString(key.get(), "V", "1", kMixed), ERROR_SUCCESS);
    const UniqueRegKey again = POpenOrCreateKeyPath(HKEY_CURRENT_USER, below("a\\b\\c"));
    PString out;
    ASSERT_EQ(PRegReadString(again.get(), "V", out, kMixed), ERROR_SUCCESS);
    EXPECT_EQ(out, "1");
}

TEST_F(PRegistryTest, WriteUnderPathSetsTheErrorFlagOnlyOnFailure) {
    int errorFlag = 0;
    EXPECT_TRUE(
        PRegWriteStringUnderPath(HKEY_CURRENT_USER, below("x\\y"), "Name", "value", errorFlag));
    EXPECT_EQ(errorFlag, 0);
    PString out;
    EXPECT_TRUE(PRegReadStringUnder(HKEY_CURRENT_USER, below("x\\y"), "Name", out));
    EXPECT_EQ(out, "value");

    const HKEY noRoot = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x1234));
    EXPECT_FALSE(PRegWriteStringUnderPath(noRoot, below("x"), "Name", "value", errorFlag));
    EXPECT_EQ(errorFlag, 1);
    // A later success does not clear the collected failure.
    EXPECT_TRUE(PRegWriteStringUnderPath(HKEY_CURRENT_USER, below("x"), "N", "v", errorFlag));
    EXPECT_EQ(errorFlag, 1);
}

TEST_F(PRegistryTest, ReadUnderPathFailsForAMissingKey) {
    PString out("x");
    EXPECT_FALSE(PRegReadStringUnder(HKEY_CURRENT_USER, below("missing"), "Name", out));
    EXPECT_FALSE(PRegReadStringHklm(below("missing"), "Name", out));
    EXPECT_EQ(out, "x");
}

TEST(PRegistryHklm, ReadsAStringOfTheLocalMachine) {
    PString out;
    ASSERT_TRUE(PRegReadStringHklm("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                   "CurrentVersion", out));
    EXPECT_NE(out.view().find('.'), std::string_view::npos) << out.c_str();
}

// The system's names of the values of `key`.
std::vector<std::wstring> ValueNames(HKEY key) {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

TEST_F(PRegistryTest, ValueSizeTellsAMissingValueFromAnEmptyOne) {
    setRaw(L"Empty", REG_SZ, L"", sizeof(wchar_t));
    setRaw(L"Word", REG_DWORD, "\1\0\0\0", 4);
    setRaw(L"Text", REG_SZ, L"abc", 4 * sizeof(wchar_t));
    DWORD type = 0;
    DWORD size = 99;
    EXPECT_EQ(PRegValueSize(key_.get(), "Missing", type, size, kMixed), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(PRegValueSize(key_.get(), "Empty", type, size, kMixed), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(wchar_t));
    ASSERT_EQ(PRegValueSize(key_.get(), "Word", type, size, kMixed), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);
    // The narrow form may give the stored (wide) size as an upper bound.
    ASSERT_EQ(PRegValueSize(key_.get(), "Text", type, size, nullptr), ERROR_SUCCESS);
    EXPECT_GE(size, 4u);
    EXPECT_LE(size, 4 * sizeof(wchar_t));
    ASSERT_EQ(PRegValueSize(key_.get(), "Text", type, size, kMixed), ERROR_SUCCESS);
    EXPECT_EQ(size, 4 * sizeof(wchar_t));
}

TEST_F(PRegistryTest, NarrowOverrideUsesTheCodePageForms) {
    PString name;
    PUtf16ToPString(name, L"n\u03A9");
    const WideNarrowScope narrow(-1);
    ASSERT_EQ(PRegWriteString(key_.get(), name.c_str(), "caf\xE9", kMixed), ERROR_SUCCESS);
    // The value got the code page's stand-in for the name, and its text arrived whole.
    const std::vector<std::wstring> names = ValueNames(key_.get());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_NE(names[0], L"n\u03A9");
    EXPECT_EQ(rawString(names[0].c_str()), L"caf\u00E9");
    PString out;
    ASSERT_EQ(PRegReadString(key_.get(), name.c_str(), out, kMixed), ERROR_SUCCESS);
    EXPECT_EQ(out, "caf\xE9");
}

}  // namespace
