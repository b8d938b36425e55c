#include "data/Sums.h"

#include "data/Schema.h"

namespace {

// The trigger bodies, as text pieces. The group of a record row ("new" or "old").
// clang-format off
#define GROUP_OF(row) \
    "h_month = substr(" row ".s_date, 1, 7) AND f_fenleiid = " row ".f_fenleiid" \
    " AND s_userid = " row ".s_userid AND s_zhanghuid = " row ".s_zhanghuid"
// SQLite of this build has no upsert: the group's row is made with 0 when
// missing, then added to.
#define ADD_NEW \
    " INSERT OR IGNORE INTO h_yue (h_month, f_fenleiid, s_userid, s_zhanghuid, h_jine, h_count)" \
    " VALUES (substr(new.s_date, 1, 7), new.f_fenleiid, new.s_userid, new.s_zhanghuid, 0, 0);" \
    " UPDATE h_yue SET h_jine = h_jine + new.s_jine, h_count = h_count + 1 WHERE " GROUP_OF("new") ";"
// A group without records goes, so the rows stay as few as the groups.
#define TAKE_OLD \
    " UPDATE h_yue SET h_jine = h_jine - old.s_jine, h_count = h_count - 1 WHERE " GROUP_OF("old") ";" \
    " DELETE FROM h_yue WHERE " GROUP_OF("old") " AND h_count = 0;"
// clang-format on

const char* const kRebuild[] = {
    "DELETE FROM h_yue",
    "INSERT INTO h_yue (h_month, f_fenleiid, s_userid, s_zhanghuid, h_jine, h_count)"
    " SELECT substr(s_date, 1, 7), f_fenleiid, s_userid, s_zhanghuid, sum(s_jine), count(*) FROM s_shouru"
    " GROUP BY 1, 2, 3, 4",
    "INSERT OR REPLACE INTO h_stamp (id, h_layout, h_records) VALUES (1, 1, (SELECT count(*) FROM s_shouru))",
};
static_assert(kSumsLayout == 1, "the stamp written by kRebuild");

}  // namespace

const QList<const char*>& sumsLayoutStatements()
{
    static const QList<const char*> statements = [] {
        QList<const char*> s{
            "CREATE TABLE IF NOT EXISTS h_yue ("
            " h_month TEXT NOT NULL,"
            " f_fenleiid INTEGER NOT NULL,"
            " s_userid INTEGER NOT NULL,"
            " s_zhanghuid INTEGER NOT NULL,"
            " h_jine INTEGER NOT NULL,"
            " h_count INTEGER NOT NULL,"
            " PRIMARY KEY (h_month, f_fenleiid, s_userid, s_zhanghuid)) WITHOUT ROWID",
            // Which layout built the sums, and of how many records.
            "CREATE TABLE IF NOT EXISTS h_stamp ("
            " id INTEGER PRIMARY KEY CHECK (id = 1),"
            " h_layout INTEGER NOT NULL,"
            " h_records INTEGER NOT NULL)",
            "DROP TRIGGER IF EXISTS h_shouru_insert",
            "DROP TRIGGER IF EXISTS h_shouru_delete",
            "DROP TRIGGER IF EXISTS h_shouru_update",
            "CREATE TRIGGER h_shouru_insert AFTER INSERT ON s_shouru BEGIN" ADD_NEW " END",
            "CREATE TRIGGER h_shouru_delete AFTER DELETE ON s_shouru BEGIN" TAKE_OLD " END",
            "CREATE TRIGGER h_shouru_update AFTER UPDATE OF s_date, f_fenleiid, s_userid, s_zhanghuid, s_jine"
            " ON s_shouru BEGIN" TAKE_OLD ADD_NEW " END",
        };
        for (const char* sql : kRebuild)
            s << sql;
        return s;
    }();
    return statements;
}

bool rebuildSums(Database& db, DbError* error)
{
    QList<Step> steps;
    for (const char* sql : kRebuild)
        steps << Step{sql};
    return runSteps(db, steps, error);
}

bool ensureSums(Database& db, DbError* error)
{
    bool there = false;
    if (!tablesExist(db, {QStringLiteral("h_yue"), QStringLiteral("h_stamp")}, &there, error))
        return false;
    if (!there)
        return true;
    Query stamp(db, QStringLiteral("select h_layout from h_stamp where id=1"));
    switch (stamp.fetch()) {
    case Query::Fetch::Failed:
        if (error)
            *error = stamp.error();
        return false;
    case Query::Fetch::Row:
        if (stamp.integer(0) == kSumsLayout)
            return true;
        break;
    case Query::Fetch::NoRow: break;
    }
    stamp.reset();
    return rebuildSums(db, error);
}

bool sumsCoverRecords(Database& db, bool* covered, DbError* error)
{
    Query q(db,
            QStringLiteral("select (select count(*) from s_shouru) = (select coalesce(sum(h_count), 0) from h_yue)"));
    if (q.fetch() != Query::Fetch::Row) {
        if (error)
            *error = q.error();
        return false;
    }
    *covered = q.integer(0) == 1;
    return true;
}

namespace {

// from..to as whole months and the days left at either end; an end with no
// days left gets an empty range (from after to).
struct Span {
    QString firstMonth, lastMonth;
    QDate headFrom, headTo, tailFrom, tailTo;
};

Span split(const QDate& from, const QDate& to)
{
    Span s;
    const QDate none(2, 1, 1), never(1, 1, 1);
    const QDate firstWhole = from.day() == 1 ? from : QDate(from.year(), from.month(), 1).addMonths(1);
    const QDate afterLastWhole
        = to.day() == to.daysInMonth() ? to.addDays(1) : QDate(to.year(), to.month(), 1);  // first day after
    if (!from.isValid() || !to.isValid() || from > to) {
        s.firstMonth = QStringLiteral("9999-99");
        s.lastMonth = QStringLiteral("0000-00");
        s.headFrom = s.tailFrom = none;
        s.headTo = s.tailTo = never;
        return s;
    }
    if (firstWhole >= afterLastWhole) {
        // No whole month inside: every day from the records.
        s.firstMonth = QStringLiteral("9999-99");
        s.lastMonth = QStringLiteral("0000-00");
        s.headFrom = from;
        s.headTo = to;
        s.tailFrom = none;
        s.tailTo = never;
        return s;
    }
    s.firstMonth = firstWhole.toString(QStringLiteral("yyyy-MM"));
    s.lastMonth = afterLastWhole.addDays(-1).toString(QStringLiteral("yyyy-MM"));
    s.headFrom = from;
    s.headTo = firstWhole.addDays(-1);
    s.tailFrom = afterLastWhole;
    s.tailTo = to;
    return s;
}

}  // namespace

namespace {

// The parameters of each span a statement may hold.
const char* const kSpanNames[kSpans][6] = {
    {":hm1", ":hm2", ":hd1", ":hd2", ":td1", ":td2"},
    {":hm1_1", ":hm2_1", ":hd1_1", ":hd2_1", ":td1_1", ":td2_1"},
    {":hm1_2", ":hm2_2", ":hd1_2", ":hd2_2", ":td1_2", ":td2_2"},
};

}  // namespace

QString spanRowsSql(int tag)
{
    const char* const* p = kSpanNames[tag];
    return QStringLiteral(
               "select h_month as m, f_fenleiid as fid, s_userid as uid, s_zhanghuid as zid, h_jine as jine,"
               " h_count as n from h_yue where h_month between %1 and %2"
               " union all select substr(s_date, 1, 7), f_fenleiid, s_userid, s_zhanghuid, s_jine, 1 from s_shouru"
               " where s_date between %3 and %4"
               " union all select substr(s_date, 1, 7), f_fenleiid, s_userid, s_zhanghuid, s_jine, 1 from s_shouru"
               " where s_date between %5 and %6")
        .arg(QLatin1String(p[0]), QLatin1String(p[1]), QLatin1String(p[2]), QLatin1String(p[3]), QLatin1String(p[4]),
             QLatin1String(p[5]));
}

Binds spanBinds(const QDate& from, const QDate& to, int tag)
{
    const Span s = split(from, to);
    const char* const* p = kSpanNames[tag];
    return {{p[0], s.firstMonth},       {p[1], s.lastMonth},          {p[2], dateText(s.headFrom)},
            {p[3], dateText(s.headTo)}, {p[4], dateText(s.tailFrom)}, {p[5], dateText(s.tailTo)}};
}

void bindSpan(Query& q, const QDate& from, const QDate& to, int tag)
{
    for (const auto& [name, value] : spanBinds(from, to, tag))
        q.bindValue(name, value);
}

QString spanViewSql(bool byMonth, int tag)
{
    // Summed first (over the months unless by month): only those few groups
    // meet the joins, which are those of the records' views.
    const QString month = byMonth ? QStringLiteral("m, ") : QString();
    return QStringLiteral("(select %1c.f_name as f_name, c.f_name as xfenlei, p.f_name as dfenlei, p.id as f_id,"
                          " c.id as xid, p.f_class as f_class, s_user.sys_name as sys_name, z_zhanghu.z_name as z_name,"
                          " g.fid as f_fenleiid, g.uid as s_userid, g.zid as s_zhanghuid, g.jine as s_jine, g.n as n"
                          " from (select %2fid, uid, zid, sum(jine) as jine, sum(n) as n from (%3)"
                          " group by %2fid, uid, zid) as g"
                          " inner join s_fenlei as c on c.id = g.fid inner join s_fenlei as p on p.id = c.f_id"
                          " inner join s_user on s_user.id = g.uid inner join z_zhanghu on z_zhanghu.id = g.zid)")
        .arg(byMonth ? QStringLiteral("g.m as s_month, ") : QString(), month, spanRowsSql(tag));
}
