#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "server/sqldb.h"
#include "server/store.h"
#include "server/testpostgres.h"

// A fresh, empty store of each kind: a SQLite file in a new temporary folder, or a new database
// on the test binary's PostgreSQL server. Store tests are written once and run on both.
struct FreshStore {
    std::string location;
    std::filesystem::path folder;

    explicit FreshStore(const std::string& kind) {
        static std::atomic<int> counter;
        const std::string name = "zbt" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        if (kind == "sqlite") {
            folder = std::filesystem::temp_directory_path() / name;
            std::filesystem::create_directories(folder);
            location = (folder / "store.sqlite").string();
            return;
        }
        const std::string& server = TestPostgresUrl();
        OpenPostgres(server)->script("CREATE DATABASE " + name);
        location = server;
        location.replace(location.find("/postgres?"), 10, "/" + name + "?");
    }
    ~FreshStore() {
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }
};

class StoreKinds : public ::testing::TestWithParam<std::string> {
  protected:
    FreshStore fresh_{GetParam()};
};

#define ZB_BOTH_STORES(suite) \
    INSTANTIATE_TEST_SUITE_P(Stores, suite, ::testing::Values("sqlite", "postgresql"))
