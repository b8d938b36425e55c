#pragma once
// Writes on loans that reach beyond one row. The stored outstanding amount
// j_yuMoney feeds the account totals, so it is refreshed after every save,
// and a deleted loan leaves the loan totals of the accounts at 0 until the
// next recomputation rebuilds them.

#include "data/Database.h"

// Sets the stored outstanding amount of every loan, borrowed and lent, to
// amount minus repaid. Runs inside the caller's transaction if there is one.
[[nodiscard]] bool updateLoanOutstanding(Database& db, DbError* error = nullptr);

// Deletes the loan and zeroes z_jiechu and z_jieru of every account
// (z_yue stays). All or nothing: on failure nothing is changed and `error`
// holds the database's message.
[[nodiscard]] bool deleteLoan(Database& db, qint64 id, DbError* error = nullptr);
