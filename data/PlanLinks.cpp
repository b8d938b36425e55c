#include "data/PlanLinks.h"

#include "data/Schema.h"

bool planLinkOf(Database& db, Posted what, qint64 id, PlanLink* link, DbError* error)
{
    *link = PlanLink();
    bool plans = false;
    if (!tablesExist(db, {QStringLiteral("p_done")}, &plans, error))
        return false;
    if (!plans)
        return true;
    Query q(db,
            what == Posted::Record
                ? QStringLiteral("select d.id, p.p_name from p_done d join p_plan p on p.id=d.p_id where d.s_id=:id")
                : QStringLiteral("select d.id, p.p_name from p_done d join p_plan p on p.id=d.p_id where d.zh_id=:id"));
    q.bind(":id", id);
    switch (q.fetch()) {
    case Query::Fetch::Failed:
        if (error)
            *error = q.error();
        return false;
    case Query::Fetch::NoRow: return true;
    case Query::Fetch::Row: *link = {q.integer(0), q.text(1)}; return true;
    }
    return false;
}

bool releaseOccurrence(Database& db, qint64 occurrence, bool skip, DbError* error)
{
    return runSteps(db,
                    {{skip ? "update p_done set d_state='skipped', s_id=NULL, zh_id=NULL where id=:d"
                           : "delete from p_done where id=:d",
                      {{":d", occurrence}}}},
                    error);
}

QString planDeleteQuestion(const QString& plan)
{
    return QStringLiteral("该笔来自周期账单「%1」：标记本期为跳过 / 恢复为待入账").arg(plan);
}
