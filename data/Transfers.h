#pragma once
// Transfers between accounts.

#include "data/Database.h"

// Deletes a transfer and sets every account's transfer totals to 0 until the
// next recomputation rebuilds them (balances stay as they were). All or
// nothing: on failure nothing is changed and `error` holds the message.
[[nodiscard]] bool deleteTransfer(Database& db, qint64 id, DbError* error = nullptr);
