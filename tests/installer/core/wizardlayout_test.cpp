#include "installer/core/wizardlayout.h"

#include <gtest/gtest.h>

#include <set>

TEST(WizardLayout, EveryControlIdIsUniqueAndEveryRowFitsTheWindow) {
    std::set<int> ids;
    for (const WizardControl& row : WizardLayout()) {
        if (row.id != kIdNone) {
            EXPECT_TRUE(ids.insert(row.id).second) << row.id;
        }
        EXPECT_LE(row.x + row.width, kWizardWidth) << static_cast<int>(row.slot);
        EXPECT_LE(row.y + row.height, kWizardHeight) << static_cast<int>(row.slot);
        EXPECT_EQ(&WizardRow(row.slot), &row);
    }
}

TEST(WizardLayout, CustomOnlyControlsBelongToTheOptionsScreenAlone) {
    for (const WizardControl& row : WizardLayout()) {
        if (!(row.screens & kCustomOnly)) continue;
        EXPECT_EQ(row.screens, kOnOptions | kCustomOnly) << static_cast<int>(row.slot);
    }
    EXPECT_EQ(WizardRow(WizardSlot::kProgressBar).screens, kOnProgress);
    EXPECT_EQ(WizardRow(WizardSlot::kPrimary).screens, kOnOptions | kOnFinished);
}
