#pragma once
// Rebuilds the derived amounts of every account (income, expenditure, money
// borrowed and lent still outstanding, transfers in and out, balance) from
// the records, loans and transfers, entirely inside the database.

#include "data/Database.h"

// All-or-nothing: on failure nothing is changed and the error holds the
// database's message.
[[nodiscard]] bool RecalcAccountTotals(Database& db, DbError* error = nullptr);
