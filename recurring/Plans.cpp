#include "recurring/Plans.h"

#include "data/AccountTotals.h"
#include "data/Clock.h"
#include "data/Journal.h"
#include "data/Schema.h"

#include <QSet>

namespace {

bool fail(DbError* error, const DbError& e)
{
    if (error)
        *error = e;
    return false;
}

// The occurrences of plan `id` handled already, by `q` (select o_date
// from p_done where p_id=:p).
bool handledDates(Query& q, qint64 id, QSet<QDate>* done, DbError* error)
{
    q.reset();
    q.bind(":p", id);
    for (;;) {
        switch (q.fetch()) {
        case Query::Fetch::Failed: return fail(error, q.error());
        case Query::Fetch::NoRow: return true;
        case Query::Fetch::Row: done->insert(q.date(0));
        }
    }
}

Plan::Mode modeOf(const QString& text)
{
    return text == u"auto" ? Plan::Mode::Auto : text == u"remind" ? Plan::Mode::RemindOnly : Plan::Mode::Confirm;
}

// The record or transfer of one occurrence; its id.
bool writeEntry(Database& db, const Plan& p, const Handling& h, qint64* id, DbError* error)
{
    Query q(db, p.type == 'T'
                    ? QStringLiteral("insert into s_zhanghistory (zh1, zh2, zdate, zXmoney, other) "
                                     "values (:a, :b, :d, :m, :o)")
                    : QStringLiteral("insert into s_shouru (f_fenleiid, s_jine, s_userid, s_other, s_zhanghuid, "
                                     "s_date, f_class) values (:f, :m, :u, :o, :a, :d, :c)"));
    q.bind(":a", p.account)
        .bind(":d", h.due.recordDate)
        .bind(":m", h.amount)
        .bind(":o", p.remark.isEmpty() ? p.name : p.remark);
    if (p.type == 'T')
        q.bind(":b", p.toAccount);
    else
        q.bind(":f", p.category).bind(":u", p.member).bind(":c", QString(QChar::fromLatin1(p.type)));
    if (!q.exec())
        return fail(error, q.error());
    *id = db.lastInsertId();
    return true;
}

}  // namespace

const Plan* findPlan(const QList<Plan>& plans, qint64 id)
{
    for (const Plan& p : plans)
        if (p.id == id)
            return &p;
    return nullptr;
}

bool readPlans(Database& db, QList<Plan>* plans, DbError* error)
{
    plans->clear();
    Query q(db, QStringLiteral("select id, p_name, p_type, f_id, z_id, z_id2, u_id, p_money, p_varies, p_rule, "
                               "p_start, p_end, p_count, p_mode, p_ahead, p_other from p_plan order by id"));
    for (;;) {
        switch (q.fetch()) {
        case Query::Fetch::Failed: return fail(error, q.error());
        case Query::Fetch::NoRow: return true;
        case Query::Fetch::Row: break;
        }
        Plan p;
        p.id = q.integer(0);
        p.name = q.text(1);
        p.type = q.text(2).isEmpty() ? 'Z' : q.text(2).at(0).toLatin1();
        p.category = q.integer(3);
        p.account = q.integer(4);
        p.toAccount = q.integer(5);
        p.member = q.integer(6);
        if (!q.value(7).isNull() && q.integer(8) == 0)
            p.amount = q.money(7);
        const auto rule = Recurrence::decode(q.text(9));
        if (!rule)
            return fail(error, DbError(DbError::Kind::Other,
                                       QStringLiteral("周期账单“%1”的规则无法读取：%2").arg(p.name, q.text(9))));
        p.rule = *rule;
        p.start = q.date(10);
        p.end = q.date(11);
        p.count = int(q.integer(12));
        p.mode = modeOf(q.text(13));
        p.ahead = int(q.integer(14));
        p.remark = q.text(15);
        plans->append(p);
    }
}

bool dueOccurrences(Database& db, const QList<Plan>& plans, const QDate& today, QList<DueOccurrence>* due,
                    DbError* error)
{
    due->clear();
    Query handled(db, QStringLiteral("select o_date from p_done where p_id=:p order by o_date"));
    for (const Plan& p : plans) {
        const QDate to = p.end.isValid() ? std::min(p.end, today.addDays(p.ahead)) : today.addDays(p.ahead);
        const QList<QDate> dates = occurrences(p.rule, p.start, p.start, to, p.count);
        if (dates.isEmpty())
            continue;
        QSet<QDate> done;
        if (!handledDates(handled, p.id, &done, error))
            return false;
        for (const QDate& d : dates)
            if (!done.contains(d))
                due->append({p.id, d, recordDate(p.rule, d)});
    }
    return true;
}

bool firstUnhandled(Database& db, const Plan& plan, QDate* date, int* before, DbError* error)
{
    *date = QDate();
    *before = 0;
    QSet<QDate> done;
    Query handled(db, QStringLiteral("select o_date from p_done where p_id=:p"));
    if (!handledDates(handled, plan.id, &done, error))
        return false;
    // The handled ones lie before it: look as far as there are handled dates, and a span beyond.
    QDate last = plan.start;
    for (const QDate& d : std::as_const(done))
        last = std::max(last, d);
    const QDate to = plan.end.isValid() ? plan.end : std::max(last, Clock::today()).addYears(3);
    const QList<QDate> dates = occurrences(plan.rule, plan.start, plan.start, to, plan.count);
    for (int i = 0; i < dates.size(); ++i)
        if (!done.contains(dates[i])) {
            *date = dates[i];
            *before = i;
            return true;
        }
    return true;
}

bool dueCount(Database& db, const QDate& today, int* count, DbError* error)
{
    *count = 0;
    bool layout = false;
    if (!tablesExist(db, {QStringLiteral("p_plan"), QStringLiteral("p_done")}, &layout, error))
        return false;
    if (!layout)
        return true;
    QList<Plan> plans;
    QList<DueOccurrence> due;
    if (!readPlans(db, &plans, error) || !dueOccurrences(db, plans, today, &due, error))
        return false;
    *count = int(due.size());
    return true;
}

bool handleOccurrences(Database& db, const QList<Plan>& plans, const QList<Handling>& handlings, DbError* error,
                       int* posted, int* skipped)
{
    int nPosted = 0, nSkipped = 0;
    for (const Handling& h : handlings)
        (h.post ? nPosted : nSkipped)++;
    const QString label = nPosted ? QStringLiteral("周期账单入账 %1 笔").arg(nPosted)
                                  : QStringLiteral("周期账单跳过 %1 笔").arg(nSkipped);
    nPosted = nSkipped = 0;
    const bool ok = runAction(
        db, label, ActionKind::Save,
        [&](DbError* err) {
            for (const Handling& h : handlings) {
                const Plan* p = findPlan(plans, h.due.plan);
                if (!p)
                    return fail(err, DbError(DbError::Kind::Vanished, QStringLiteral("该周期账单已被删除")));
                // The key first: an occurrence another copy handled meanwhile is passed over.
                Query key(db,
                          QStringLiteral("insert or ignore into p_done (p_id, o_date, d_state) values (:p, :o, :s)"));
                key.bind(":p", p->id).bind(":o", h.due.occurrence).bind(":s", h.post ? "posted" : "skipped");
                if (!key.exec())
                    return fail(err, key.error());
                if (db.changes() == 0)
                    continue;
                const qint64 done = db.lastInsertId();
                if (!h.post) {
                    ++nSkipped;
                    continue;
                }
                if (!(h.amount > Money()))
                    return fail(err,
                                DbError(DbError::Kind::Refused,
                                        QStringLiteral("请填写“%1”%2的金额").arg(p->name, dateText(h.due.occurrence))));
                qint64 entry = 0;
                if (!writeEntry(db, *p, h, &entry, err))
                    return false;
                Query link(db, p->type == 'T' ? QStringLiteral("update p_done set zh_id=:e where id=:id")
                                              : QStringLiteral("update p_done set s_id=:e where id=:id"));
                link.bind(":e", entry).bind(":id", done);
                if (!link.exec())
                    return fail(err, link.error());
                ++nPosted;
            }
            return RecalcAccountTotals(db, err);
        },
        error);
    if (posted)
        *posted = ok ? nPosted : 0;
    if (skipped)
        *skipped = ok ? nSkipped : 0;
    return ok;
}
