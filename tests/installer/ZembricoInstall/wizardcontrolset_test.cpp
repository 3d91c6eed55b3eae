#include "installer/ZembricoInstall/wizardcontrolset.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "installer/MyCWnd/mycprogressbar.h"
#include "installer/core/wizardscale.h"

namespace {

// The looks are made again at each factor and the old ones freed: a control that kept one
// would draw from a deleted object, or from whatever object took its handle next.
TEST(WizardControlSet, RestyledProgressBarDrawsFromTheBitmapsOfTheNewFactor) {
    MyCTopWindow window;
    window.create(L"ZembricoControlSetTest", "controls", GetModuleHandleW(nullptr));
    WizardLooks looks(GetModuleHandleW(nullptr), 20);
    looks.make(window.fonts(), 100, "");
    WizardControlSet controls(window, looks);
    const WizardControl& row = WizardRow(WizardSlot::kProgressBar);
    controls.create(row, PString());
    const auto& bar = controls.get<MyCProgressBar>(WizardSlot::kProgressBar);
    BITMAP before{};
    ASSERT_NE(GetObjectW(bar.track(), sizeof before, &before), 0);

    looks.make(window.fonts(), 150, "");
    controls.restyle(row);
    for (const HBITMAP bitmap : {bar.track(), bar.fill()})
        EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    BITMAP after{};
    ASSERT_NE(GetObjectW(bar.track(), sizeof after, &after), 0);
    EXPECT_EQ(after.bmWidth, Scaled(before.bmWidth, 150));
}

}  // namespace
