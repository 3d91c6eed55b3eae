#include "installer/core/mixedtext.h"

#include <gtest/gtest.h>

namespace {

TEST(JoinMixedTexts, BytesUnlessAPartIsMarked) {
    EXPECT_EQ(JoinMixedTexts({"Caf\xE9", " - ", "X"}), "Caf\xE9 - X");
    EXPECT_EQ(JoinMixedTexts({}), "");
    // Windows-1252 parts become UTF-8 beside a marked one; the marker leads, once.
    EXPECT_EQ(JoinMixedTexts({"Caf\xE9 \x80", " - ", "\x10\xCE\x95"}),
              "\x10"
              "Caf\xC3\xA9 \xE2\x82\xAC - \xCE\x95");
    EXPECT_EQ(JoinMixedTexts({"\x10\xCE\x95", "\\", "\x10\xCE\xBB"}), "\x10\xCE\x95\\\xCE\xBB");
}

TEST(WindowsUnitsOf, WhatTheSystemReceives) {
    EXPECT_EQ(WindowsUnitsOf("Caf\xE9\x80"), u"Caf\u00E9\u20AC");
    EXPECT_EQ(WindowsUnitsOf("\x10\xCE\x95"), u"\u0395");
    EXPECT_EQ(WindowsUnitsOf("\x10\xF0\x90\x81\x9C"), u"\\");
    EXPECT_EQ(WindowsUnitsOf("\x10\xF0\x90\x80\x80"), u"?");
}

}  // namespace
