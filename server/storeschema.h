#pragma once

#include "server/sqldb.h"

// The store's tables, the same in SQLite and PostgreSQL:
//  hits          every accepted hit, its fields as sent (as UTF-8), the journey it counts for
//  downloads     one record per download: time, build, token, tag text, bytes sent, completed
//  journeys      one per download token (or, without one, per client id and group id): where
//                the installation came from, what it reported, the steps it reached
//  journey_facts the same, its texts as numbers (dimension_ids), one narrow row per journey,
//                indexed by site, campaign and language with the day (not by steps, which
//                change at every step): a view filtered by several reads the rows of its
//                narrowest indexed filter (a version goes with one of the others)
//  funnel_daily  the journeys' steps counted per day, for all journeys (kind and value "") and
//                per site, campaign, language and version (kind "site" and value "FR", ...):
//                the views with one filter or none read only these rows

// Brings `db` to the newest schema: each missing migration, in order, in a transaction of its
// own. Replicas starting together on one PostgreSQL server take turns. Throws SqlError for a
// database made by a newer program.
void MigrateStore(SqlDb& db);

// The newest migration applied to `db`; 0 for an empty database.
int StoreSchemaVersion(SqlDb& db);

// The newest migration this program knows.
int LatestSchemaVersion();
