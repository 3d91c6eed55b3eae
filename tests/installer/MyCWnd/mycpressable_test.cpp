#include "installer/MyCWnd/mycpressable.h"

#include <gtest/gtest.h>

namespace {

HBITMAP Fake(int n) {
    return reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(n));
}

const HBITMAP kNormal = Fake(1), kHover = Fake(2), kPressed = Fake(3), kDisabled = Fake(4);

struct ChoiceCase {
    const char* name;
    MyCSkin skin;
    MyCDrawState state;
    bool enabled;
    bool focused;
    HBITMAP expected;
};

TEST(ChooseBitmapTest, FollowsPressedDisabledHoverFocusOrder) {
    const MyCSkin full{kNormal, kHover, kPressed, kDisabled};
    const MyCSkin noDisabled{kNormal, kHover, kPressed, nullptr};
    const MyCSkin onlyNormal{kNormal, nullptr, nullptr, nullptr};
    const ChoiceCase cases[] = {
        {"idle", full, MyCDrawState::kNormal, true, false, kNormal},
        {"pressed wins over disabled", full, MyCDrawState::kPressed, false, true, kPressed},
        {"disabled", full, MyCDrawState::kHovered, false, true, kDisabled},
        {"hovered", full, MyCDrawState::kHovered, true, false, kHover},
        {"focused", full, MyCDrawState::kNormal, true, true, kHover},
        {"disabled without bitmap, unfocused", noDisabled, MyCDrawState::kNormal, false, false,
         kNormal},
        {"disabled without bitmap, focused", noDisabled, MyCDrawState::kNormal, false, true,
         kHover},
        {"missing hover falls back", onlyNormal, MyCDrawState::kHovered, true, true, kNormal},
        {"missing pressed falls back", onlyNormal, MyCDrawState::kPressed, true, false, kNormal},
    };
    for (const ChoiceCase& c : cases)
        EXPECT_EQ(MyChooseBitmap(c.skin, c.state, c.enabled, c.focused), c.expected) << c.name;
}

}  // namespace
