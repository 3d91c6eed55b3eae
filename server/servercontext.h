#pragma once

#include "server/logins.h"
#include "server/options.h"
#include "server/store.h"
#include "server/storewriter.h"

// What the routes share: the options, the store's writer (hits, downloads) and its readers,
// and the dashboard's logins.
struct ServerContext {
    const ServerOptions& options;
    StoreWriter& writer;
    SqlPool& readers;
    const Logins& logins;
};
