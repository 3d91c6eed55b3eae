#include "server/storewriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "server/jsonlog.h"
#include "server/teststores.h"

namespace {

ReceivedHit Hit(const std::string& clientId) {
    HitFields fields;
    fields.clientId = clientId;
    fields.type = "screenview";
    fields.screen = "InstallationWindow/SufficientSpace";
    return ReceivedHit{fields, 1000, "192.0.2.9"};
}

class Writer : public StoreKinds {
  protected:
    Store store_{fresh_.location, "full"};
};

TEST_P(Writer, EveryHitFromManyThreadsIsStoredBeforeItIsConfirmed) {
    std::atomic<int> confirmed = 0, refused = 0;
    {
        StoreWriter writer(store_, 100000);
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < 50; ++i) {
                    const bool queued =
                        writer.add(Hit("c" + std::to_string(t) + "-" + std::to_string(i)),
                                   [&](bool stored) { ++(stored ? confirmed : refused); });
                    EXPECT_TRUE(queued);
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
    }
    EXPECT_EQ(confirmed, 400);
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(SqlInt(store_.connect()->query("SELECT COUNT(*) FROM hits")[0][0]), 400);
    EXPECT_EQ(SqlInt(store_.connect()->query("SELECT COUNT(*) FROM journeys")[0][0]), 400);
}

TEST_P(Writer, AFailedCommitIsReportedAndTheWriterGoesOn) {
    std::vector<std::string> lines;
    const LogSink previous = SetLogSink([&](std::string_view line) { lines.emplace_back(line); });
    StoreWriter writer(store_, 10);
    auto db = store_.connect();
    db->script("ALTER TABLE hits RENAME TO hits_away");
    std::promise<bool> first;
    writer.add(Hit("a"), [&](bool stored) { first.set_value(stored); });
    EXPECT_FALSE(first.get_future().get());
    db->script("ALTER TABLE hits_away RENAME TO hits");
    std::promise<bool> second;
    writer.add(Hit("b"), [&](bool stored) { second.set_value(stored); });
    EXPECT_TRUE(second.get_future().get());
    SetLogSink(previous);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("\"event\":\"store_failed\""), std::string::npos);
    EXPECT_EQ(SqlInt(db->query("SELECT COUNT(*) FROM journeys")[0][0]), 1);
}

// Two replicas on one store receive the hits of the same installations at once (the setup
// program's two accounts reach different replicas): each journey is made once and counted once.
TEST_P(Writer, ReplicasSharingAStoreCountEachInstallationOnce) {
    std::atomic<int> confirmed = 0;
    {
        const Store other(fresh_.location, "normal");
        StoreWriter first(store_, 1000), second(other, 1000);
        std::vector<std::thread> threads;
        for (StoreWriter* writer : {&first, &second}) {
            threads.emplace_back([&, writer] {
                for (int i = 0; i < 40; ++i) {
                    for (const char* screen : {"SufficientSpace", "InstallStarted"}) {
                        ReceivedHit hit = Hit("c" + std::to_string(i));
                        hit.fields.screen = std::string("InstallationWindow/") + screen;
                        hit.fields.groupId = "camp~token" + std::to_string(i);
                        writer->add(hit, [&](bool stored) { confirmed += stored; });
                    }
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
    }
    EXPECT_EQ(confirmed, 160);
    auto db = store_.connect();
    EXPECT_EQ(SqlInt(db->query("SELECT COUNT(*) FROM hits")[0][0]), 160);
    EXPECT_EQ(SqlInt(db->query("SELECT COUNT(*) FROM journeys")[0][0]), 40);
    const auto totals = db->query(
        "SELECT SUM(journeys), SUM(first_screen), SUM(started) FROM funnel_daily WHERE kind = ''");
    EXPECT_EQ(SqlInt(totals[0][0]), 40);
    EXPECT_EQ(SqlInt(totals[0][1]), 40);
    EXPECT_EQ(SqlInt(totals[0][2]), 40);
}

TEST_P(Writer, AFullQueueRefusesAtOnce) {
    StoreWriter writer(store_, 0);
    EXPECT_FALSE(writer.add(Hit("a"), [](bool) { ADD_FAILURE() << "told about a refused hit"; }));
}

ZB_BOTH_STORES(Writer);

}  // namespace
