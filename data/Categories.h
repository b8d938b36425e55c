#pragma once
// Category deletions. Records and budget rows hang off categories, so
// removing one removes what depends on it; each runs as one transaction.

#include "data/Database.h"

// Deletes a top-level category, its budget rows, its sub-categories and every
// record left without a category. All or nothing: on failure nothing is
// changed and `error` holds the database's message.
[[nodiscard]] bool deleteTopCategory(Database& db, qint64 id, DbError* error = nullptr);

// Deletes a sub-category and its records. All or nothing.
[[nodiscard]] bool deleteSubCategory(Database& db, qint64 id, DbError* error = nullptr);
