#pragma once
// What ties a record or a transfer to the recurring plan that posted it
// (p_done, layout step 4), for the pages that delete them.

#include "data/Database.h"

#include <QString>

struct PlanLink {
    qint64 occurrence = 0;  // the p_done row; 0: not posted by a plan
    QString plan;           // the plan's name
};

// The link of record `id` (what = Record) or transfer `id` (Transfer); none in a
// file without recurring plans.
enum class Posted { Record, Transfer };
[[nodiscard]] bool planLinkOf(Database& db, Posted what, qint64 id, PlanLink* link, DbError* error = nullptr);

// After its record or transfer is deleted: the occurrence skipped for good
// (skip) or due again.
[[nodiscard]] bool releaseOccurrence(Database& db, qint64 occurrence, bool skip, DbError* error = nullptr);

// The question of such a delete; its ways are 标记本期为跳过 and 恢复为待入账.
QString planDeleteQuestion(const QString& plan);
