#include "installer/core/mixedtext.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowsUnitsOf, WhatTheSystemReceives) {
    EXPECT_EQ(WindowsUnitsOf("Caf\xE9\x80"), u"Caf\u00E9\u20AC");
    EXPECT_EQ(WindowsUnitsOf("\x10\xCE\x95"), u"\u0395");
    EXPECT_EQ(WindowsUnitsOf("\x10\xF0\x90\x81\x9C"), u"\\");
    EXPECT_EQ(WindowsUnitsOf("\x10\xF0\x90\x80\x80"), u"?");
}

}  // namespace
