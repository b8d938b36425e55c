#pragma once
// Recurring plans (p_plan) and the occurrences handled (p_done): what is
// due, and posting or skipping it exactly once. Each handled occurrence is
// one p_done row keyed by (plan, occurrence date) written in the same
// transaction as its record or transfer, so a crash, a second start, a
// second copy of the program or a clock set back never post twice, and the
// clock set back never un-posts.

#include "data/Database.h"
#include "data/Money.h"
#include "recurring/Recurrence.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

struct Plan {
    enum class Mode { Confirm, Auto, RemindOnly };  // 提醒确认 / 自动入账 / 仅提醒
    qint64 id = 0;
    QString name;
    char type = 'Z';  // 'Z' 支出, 'S' 收入, 'T' 转账
    qint64 category = 0, account = 0, toAccount = 0, member = 0;
    std::optional<Money> amount;  // none: 金额不固定
    Recurrence rule;
    QDate start, end;  // end invalid: none
    int count = 0;     // 0: no limit
    Mode mode = Mode::Confirm;
    int ahead = 0;  // 提前提醒天数
    QString remark;
};

// The plan of this id among `plans`; null when none.
const Plan* findPlan(const QList<Plan>& plans, qint64 id);

// Every plan, by id; a plan whose rule cannot be read is reported, not skipped.
[[nodiscard]] bool readPlans(Database& db, QList<Plan>* plans, DbError* error = nullptr);

// The plan's first occurrence not handled yet (this period: what an edit
// of the plan starts from) and how many come before it; invalid when the
// plan has ended.
[[nodiscard]] bool firstUnhandled(Database& db, const Plan& plan, QDate* date, int* before, DbError* error = nullptr);

struct DueOccurrence {
    qint64 plan = 0;
    QDate occurrence;  // the key
    QDate recordDate;  // after the weekend shift
};

// Every occurrence not handled yet whose date is on or before today plus
// the plan's 提前提醒天数, plan by plan, oldest first.
[[nodiscard]] bool dueOccurrences(Database& db, const QList<Plan>& plans, const QDate& today, QList<DueOccurrence>* due,
                                  DbError* error = nullptr);

// How many occurrences are due now (0 in a file without plans, whose
// layout step could not run).
[[nodiscard]] bool dueCount(Database& db, const QDate& today, int* count, DbError* error = nullptr);

struct Handling {
    DueOccurrence due;
    bool post = true;  // false: 跳过
    Money amount;      // what a post writes (> 0)
};

// Posts or skips the occurrences in one action ("周期账单入账 N 笔") and
// rebuilds the account totals once. An occurrence handled meanwhile (by
// another copy of the program) is passed over; `posted` and `skipped`
// count what this call wrote.
[[nodiscard]] bool handleOccurrences(Database& db, const QList<Plan>& plans, const QList<Handling>& handlings,
                                     DbError* error = nullptr, int* posted = nullptr, int* skipped = nullptr);
