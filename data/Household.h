#pragma once
// Writes of the settings page that reach beyond one table.

#include "data/Database.h"

// Deletes the member and every income and expenditure record booked to the
// member; loans and transfers stay. All or nothing: on failure nothing is
// changed and `error` holds the database's message.
[[nodiscard]] bool deleteMember(Database& db, qint64 id, DbError* error = nullptr);

// Clears every record, loan and transfer and zeroes the amounts of every
// account (members, categories, accounts, budgets, diary and settings stay).
// All or nothing, as above.
[[nodiscard]] bool clearAllRecords(Database& db, DbError* error = nullptr);
