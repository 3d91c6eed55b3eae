#include "server/storeschema.h"

#include <gtest/gtest.h>

#include "server/store.h"
#include "server/teststores.h"

namespace {

class StoreSchema : public StoreKinds {};

TEST_P(StoreSchema, OpeningAnEmptyStoreAppliesEveryMigrationOnce) {
    const Store store(fresh_.location, "full");
    auto db = store.connect();
    EXPECT_EQ(StoreSchemaVersion(*db), LatestSchemaVersion());
    // Opening again changes nothing and fails nothing.
    const Store again(fresh_.location, "full");
    EXPECT_EQ(SqlInt(db->query("SELECT COUNT(*) FROM schema_migrations")[0][0]),
              LatestSchemaVersion());
    for (const char* table : {"hits", "downloads", "journeys", "funnel_daily"})
        EXPECT_NO_THROW(db->query(std::string("SELECT COUNT(*) FROM ") + table)) << table;
}

TEST_P(StoreSchema, AStoreOfANewerProgramIsRefused) {
    const Store store(fresh_.location, "full");
    store.connect()->query(
        "INSERT INTO schema_migrations (version, name, applied) VALUES (?, 'later', 0)",
        {std::int64_t{LatestSchemaVersion() + 1}});
    EXPECT_THROW(Store(fresh_.location, "full"), SqlError);
}

ZB_BOTH_STORES(StoreSchema);

TEST(StoreSync, OnlyFullAndNormalAreKnown) {
    FreshStore fresh("sqlite");
    EXPECT_NO_THROW(Store(fresh.location, "normal"));
    EXPECT_THROW(Store(fresh.location, "off"), std::invalid_argument);
}

}  // namespace
