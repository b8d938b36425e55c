#pragma once
// The writes that go with a grid's batch to keep what the pages read true:
// each runs inside the caller's transaction, after the grid's rows.

#include "data/Database.h"

// An account whose opening amount was left empty opens at 0.
[[nodiscard]] bool zeroEmptyOpeningAmounts(Database& db, DbError* error = nullptr);
// A budget left empty is a budget of 0.
[[nodiscard]] bool zeroEmptyBudgets(Database& db, DbError* error = nullptr);
// Every top-level expense category has its budget row (the budget page and
// the expense page's budget line read them).
[[nodiscard]] bool addMissingBudgetRows(Database& db, DbError* error = nullptr);
