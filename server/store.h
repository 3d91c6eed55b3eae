#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "server/sqldb.h"

// Where the store lives: a SQLite file (one writer process; the default) or a PostgreSQL server
// that several replicas share. Opening it brings its schema up to date.
class Store {
  public:
    // `location`: a file path, or a "postgresql://" or "postgres://" address; `sync`: "full" or
    // "normal" (how SQLite commits reach the disk; PostgreSQL follows its own settings).
    // Throws std::invalid_argument for another sync, SqlError when the store cannot be opened
    // or migrated.
    Store(std::string location, std::string_view sync);

    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;
    ~Store();

    std::unique_ptr<SqlDb> connect() const;
    // For the log: the kind of store and its durability, never a password.
    std::string describe() const;

  private:
    void checkpoint(std::stop_token stop);

    std::string location_;
    bool postgres_ = false;
    SqliteSync sync_ = SqliteSync::Full;
    std::mutex lock_;
    std::condition_variable_any wake_;
    // SQLite: copies the write-ahead log into the file in the background, so that the writer
    // never stops for it (its connections do not checkpoint themselves).
    std::jthread checkpointer_;
};

// Connections for readers (the dashboard), made when needed and kept for the next reader.
class SqlPool {
  public:
    explicit SqlPool(const Store& store) : store_(store) {}

    // A connection that goes back to the pool when the lease ends; one that failed is dropped.
    class Lease {
      public:
        Lease(SqlPool& pool, std::unique_ptr<SqlDb> db) : pool_(pool), db_(std::move(db)) {}
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        ~Lease();
        SqlDb& operator*() const { return *db_; }
        SqlDb* operator->() const { return db_.get(); }
        void discard() { db_.reset(); }

      private:
        SqlPool& pool_;
        std::unique_ptr<SqlDb> db_;
    };

    Lease lease();

  private:
    const Store& store_;
    std::mutex lock_;
    std::vector<std::unique_ptr<SqlDb>> idle_;
};
