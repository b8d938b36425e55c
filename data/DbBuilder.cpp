#include "data/DbBuilder.h"

#include "data/Schema.h"

#include "data/AccountTotals.h"
#include "data/Database.h"
#include "data/Tx_Data.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QVector>

#include <filesystem>

namespace {

QString readResource(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

struct Category {
    qint64 id;
    QString name;
    QString cls;
};

QVector<Category> subCategories(Database& db)
{
    QVector<Category> out;
    Query q(db, QStringLiteral("select id, f_name, f_class from v_fenlei order by id"));
    while (q.next())
        out.push_back({q.integer(0), q.text(1), q.text(2)});
    return out;
}

qint64 idOf(const QVector<Category>& cats, const QString& name)
{
    for (const auto& c : cats)
        if (c.name == name)
            return c.id;
    return 0;
}

class Writer {
public:
    explicit Writer(Database& db)
        : m_record(db, QStringLiteral(
                           "insert into s_shouru (f_fenleiid, s_jine, s_userid, s_other, s_zhanghuid, s_date, f_class) "
                           "values (:fenlei, :jine, :user, :other, :zhanghu, :date, :class)"))
    {}

    bool record(qint64 fenlei, Money amount, qint64 user, const QString& other, qint64 account, const QDate& date,
                const QString& cls)
    {
        m_record.bind(":fenlei", fenlei)
            .bind(":jine", amount)
            .bind(":user", user)
            .bind(":other", other)
            .bind(":zhanghu", account)
            .bind(":date", date)
            .bind(":class", cls);
        if (!m_record.exec()) {
            m_error = m_record.error();
            return false;
        }
        return true;
    }
    QString error() const { return m_error; }

private:
    Query m_record;
    QString m_error;
};

Money yuanCents(QRandomGenerator& rng, int minYuan, int maxYuan, bool wholeYuan = false)
{
    qint64 cents = qint64(rng.bounded(minYuan * 100, maxYuan * 100 + 1));
    if (wholeYuan)
        cents = cents / 100 * 100;
    else
        cents = cents / 10 * 10;  // prices end in whole jiao
    return Money::fromRaw(cents * 100);
}

bool exec(Database& db, const QString& sql, QString* error)
{
    if (!db.exec(sql)) {
        if (error)
            *error = db.lastError();
        return false;
    }
    return true;
}

bool addDemo(Database& db, const BuildOptions& o, QString* error)
{
    QRandomGenerator rng(o.seed);
    if (!exec(db, QStringLiteral("insert into s_user (sys_name, sys_pwd) values ('爸爸', '123'), ('妈妈', '123')"),
              error))
        return false;
    const auto cats = subCategories(db);
    Writer w(db);
    auto rec = [&](const QString& cat, Money m, qint64 user, const QString& other, qint64 acc, const QDate& d) {
        const qint64 id = idOf(cats, cat);
        QString cls;
        for (const auto& c : cats)
            if (c.id == id)
                cls = c.cls;
        return id == 0 || w.record(id, m, user, other, acc, d, cls);
    };
    const QDate start = o.today.addMonths(-12).addDays(1);
    for (QDate d = start; d <= o.today; d = d.addDays(1)) {
        bool ok = true;
        const qint64 who = 1 + rng.bounded(3);
        if (rng.bounded(10) < 8)
            ok &= rec(QStringLiteral("早餐"), yuanCents(rng, 5, 18), who, QString(), 1, d);
        if (rng.bounded(10) < 9)
            ok &= rec(QStringLiteral("午餐"), yuanCents(rng, 15, 45), who, QString(), 1, d);
        if (rng.bounded(10) < 4)
            ok &= rec(QStringLiteral("晚餐"), yuanCents(rng, 30, 160), 1 + rng.bounded(3),
                      rng.bounded(4) == 0 ? QStringLiteral("和朋友聚餐") : QString(), 2, d);
        if (rng.bounded(10) < 3)
            ok &= rec(QStringLiteral("水果零食"), yuanCents(rng, 8, 60), 3, QStringLiteral("超市"), 1, d);
        if (rng.bounded(10) < 6)
            ok &= rec(QStringLiteral("公交地铁"), yuanCents(rng, 2, 8, true), who, QString(), 1, d);
        if (d.dayOfWeek() == 6)
            ok &= rec(QStringLiteral("日用品"), yuanCents(rng, 40, 260), 3, QStringLiteral("周末采购"), 2, d);
        if (d.dayOfWeek() == 7 && rng.bounded(3) == 0)
            ok &= rec(QStringLiteral("电影"), yuanCents(rng, 60, 120, true), 2, QStringLiteral("周末看电影"), 3, d);
        if (rng.bounded(25) == 0)
            ok &= rec(QStringLiteral("打车"), yuanCents(rng, 15, 60), who, QString(), 1, d);
        if (rng.bounded(40) == 0)
            ok &= rec(QStringLiteral("服装鞋帽"), yuanCents(rng, 100, 600, true), 3, QString(), 3, d);
        if (rng.bounded(60) == 0)
            ok &= rec(QStringLiteral("医药"), yuanCents(rng, 20, 300), who, QStringLiteral("药店"), 1, d);
        if (rng.bounded(45) == 0)
            ok &= rec(QStringLiteral("礼金"), Money::fromYuan(200 * (1 + rng.bounded(5))), 2,
                      QStringLiteral("朋友婚礼"), 2, d);
        if (d.day() == 1) {
            ok &= rec(QStringLiteral("房租物业"), Money::fromYuan(2500), 2, QStringLiteral("房租"), 2, d);
            ok &= rec(QStringLiteral("话费"), Money::fromYuan(100), 2, QString(), 2, d);
            ok &= rec(QStringLiteral("网费"), Money::fromYuan(99), 2, QString(), 2, d);
        }
        if (d.day() == 15) {
            ok &= rec(QStringLiteral("水电燃气"), yuanCents(rng, 150, 420), 3, QString(), 2, d);
            ok &= rec(QStringLiteral("加油"), yuanCents(rng, 250, 400, true), 2, QString(), 3, d);
        }
        if (d.day() == 10) {
            ok &= rec(QStringLiteral("工资"), Money::fromYuan(8600), 2, QStringLiteral("月工资"), 2, d);
            ok &= rec(QStringLiteral("工资"), Money::fromYuan(6200), 3, QStringLiteral("月工资"), 2, d);
        }
        if (d.day() == 20 && d.month() % 3 == 0)
            ok &= rec(QStringLiteral("奖金"), Money::fromYuan(3000), 2, QStringLiteral("季度奖"), 2, d);
        if (d.day() == 21 && d.month() % 3 == 0)
            ok &= rec(QStringLiteral("利息"), yuanCents(rng, 80, 200), 1, QStringLiteral("存款利息"), 2, d);
        if (rng.bounded(70) == 0)
            ok &= rec(QStringLiteral("兼职"), Money::fromYuan(300 + 100 * rng.bounded(8)), 3,
                      QStringLiteral("周末兼职"), 1, d);
        if (!ok) {
            if (error)
                *error = w.error();
            return false;
        }
    }

    // A monthly move of cash from the salary card, and a few loans and diary lines.
    Query t(db,
            QStringLiteral("insert into s_zhanghistory (zh1, zh2, zdate, zXmoney, other) values (:a, :b, :d, :m, :o)"));
    for (QDate d = QDate(start.year(), start.month(), 12); d <= o.today; d = d.addMonths(1)) {
        if (d < start)
            continue;
        t.bind(":a", 2)
            .bind(":b", 1)
            .bind(":d", d)
            .bind(":m", Money::fromYuan(1600))
            .bind(":o", QStringLiteral("取现"));
        bool ok = t.exec();
        if (ok && d.addDays(13) <= o.today) {
            t.bind(":a", 2)
                .bind(":b", 3)
                .bind(":d", d.addDays(13))
                .bind(":m", Money::fromYuan(800))
                .bind(":o", QStringLiteral("还信用卡"));
            ok = t.exec();
        }
        if (!ok) {
            if (error)
                *error = t.error();
            return false;
        }
    }
    Query l(db, QStringLiteral(
                    "insert into s_jie (j_class, j_date, z_id, j_chuMoney, j_ruMoney, j_yuMoney, j_shoudate, j_jiege, "
                    "j_jiekuanren, j_other) values (:c, :d, :z, :chu, :ru, :chu - :ru, :sd, :jg, :jr, :o)"));
    struct Loan {
        const char* cls;
        int daysAgo;
        int acc;
        int amount;
        int repaid;
        int dueDays;
        const char* who;
        const char* by;
        const char* note;
    };
    const Loan loans[] = {
        {"S", 200, 2, 20000, 8000, 165, "表哥", "爸爸", "买车借款"},
        {"Z", 120, 2, 3000, 1000, 60, "同事小李", "妈妈", "装修周转"},
        {"Z", 40, 1, 500, 0, 30, "邻居王阿姨", "admin", ""},
    };
    for (const Loan& x : loans) {
        const QDate d = o.today.addDays(-x.daysAgo);
        l.bind(":c", QString::fromUtf8(x.cls))
            .bind(":d", d)
            .bind(":z", x.acc)
            .bind(":chu", Money::fromYuan(x.amount))
            .bind(":ru", Money::fromYuan(x.repaid))
            .bind(":sd", d.addDays(x.dueDays))
            .bind(":jg", QString::fromUtf8(x.who))
            .bind(":jr", QString::fromUtf8(x.by))
            .bind(":o", QString::fromUtf8(x.note));
        if (!l.exec()) {
            if (error)
                *error = l.error();
            return false;
        }
        // What was repaid, paid back halfway to today.
        if (x.repaid) {
            Query h(db, QStringLiteral("insert into j_huankuan (j_id, h_date, h_money) values (:j, :d, :m)"));
            h.bind(":j", db.lastInsertId()).bind(":d", d.addDays(x.daysAgo / 2)).bind(":m", Money::fromYuan(x.repaid));
            if (!h.exec()) {
                if (error)
                    *error = h.error();
                return false;
            }
        }
    }
    Query n(db, QStringLiteral("insert into notebook (n_date, n_info) values (:d, :i)"));
    const std::pair<int, const char*> notes[] = {
        {90, "今天全家去公园野餐，天气很好。"},
        {45, "开始每天记账，看看钱都花在哪里。"},
        {12, "孩子期中考试成绩不错，晚上出去吃了一顿。"},
        {2, "本月水电费比上月高，要注意节约用电。"},
    };
    for (const auto& [ago, text] : notes) {
        n.bind(":d", o.today.addDays(-ago)).bind(":i", QString::fromUtf8(text));
        if (!n.exec()) {
            if (error)
                *error = n.error();
            return false;
        }
    }
    return true;
}

bool addBulk(Database& db, const BuildOptions& o, QString* error)
{
    QRandomGenerator rng(o.seed ^ 0x5eed);
    const auto cats = subCategories(db);
    QVector<Category> expense, income;
    for (const auto& c : cats)
        (c.cls == u"S" ? income : expense).push_back(c);
    QVector<qint64> users, accounts;
    for (Query q(db, QStringLiteral("select id from s_user")); q.next();)
        users.push_back(q.integer(0));
    for (Query q(db, QStringLiteral("select id from z_zhanghu")); q.next();)
        accounts.push_back(q.integer(0));
    if (cats.isEmpty() || users.isEmpty() || accounts.isEmpty()) {
        if (error)
            *error = QStringLiteral("no categories, members or accounts to spread records over");
        return false;
    }
    const QDate first = o.today.addYears(-20);
    const qint64 span = first.daysTo(o.today) + 1;
    Writer w(db);
    for (qint64 i = 0; i < o.records; ++i) {
        if (o.progress && i % 4096 == 0)
            o.progress(i, o.records);
        const bool isIncome = income.size() && rng.bounded(100) < 8;
        const auto& pool = isIncome || expense.isEmpty() ? income : expense;
        const Category& c = pool[rng.bounded(int(pool.size()))];
        // Spread evenly over the days, so every day has a similar share.
        const QDate d = first.addDays(i * span / o.records);
        const Money m = isIncome ? yuanCents(rng, 100, 9000) : yuanCents(rng, 1, 400);
        if (!w.record(c.id, m, users[rng.bounded(int(users.size()))],
                      rng.bounded(5) == 0 ? QStringLiteral("备注") : QString(),
                      accounts[rng.bounded(int(accounts.size()))], d, c.cls)) {
            if (error)
                *error = w.error();
            return false;
        }
    }
    if (o.progress)
        o.progress(o.records, o.records);
    return true;
}

}  // namespace

QString buildingPath(const QString& path) { return path + QStringLiteral(".building"); }

QString SchemaSql() { return readResource(QStringLiteral(":/data/schema.sql")); }
QString SeedSql() { return readResource(QStringLiteral(":/data/seed.sql")); }

namespace {
// Bulk records go in before the record indexes exist, which are then built
// once each by sorting: far faster than keeping four indexes in step record
// by record, and the time grows with the records almost linearly.
bool addBulkIndexedAfter(Database& db, const BuildOptions& o, QString* error)
{
    QList<QPair<QString, QString>> indexes;  // name, statement
    {
        Query q(db, QStringLiteral("select name, sql from sqlite_master where type='index' and tbl_name='s_shouru'"
                                   " and sql is not null order by name"));
        while (q.next())
            indexes.append({q.text(0), q.text(1)});
        if (!q.ok()) {
            *error = q.error();
            return false;
        }
    }
    for (const auto& index : std::as_const(indexes))
        if (!db.exec(QStringLiteral("DROP INDEX %1").arg(index.first))) {
            *error = db.lastError();
            return false;
        }
    if (!addBulk(db, o, error))
        return false;
    for (const auto& index : std::as_const(indexes))
        if (!db.exec(index.second)) {
            *error = db.lastError();
            return false;
        }
    return true;
}
}  // namespace

bool BuildDatabase(const QString& path, const BuildOptions& options, QString* error)
{
    auto fail = [&](const QString& e) {
        if (error)
            *error = e;
        return false;
    };
    if (QFileInfo::exists(path) && !options.force)
        return fail(QStringLiteral("%1 exists; it is not overwritten without --force").arg(path));
    const QString schema = SchemaSql(), seed = SeedSql();
    if (schema.isEmpty() || seed.isEmpty())
        return fail(QStringLiteral("schema or seed missing from the program's resources"));

    const QString tmp = buildingPath(path);
    QFile::remove(tmp);
    QFile::remove(tmp + QStringLiteral("-journal"));
    {
        Database db;
        if (!db.create(tmp, QByteArray(kDatabasePassword)))
            return fail(db.lastError());
        QString err;
        // Room for the index sorts of a large build to stay in memory.
        bool ok = db.exec(QStringLiteral("PRAGMA cache_size=-262144")) && db.exec(QStringLiteral("BEGIN"))
                  && db.exec(schema) && db.exec(seed);
        if (!ok)
            err = db.lastError();
        // The delivered layout, then every numbered step: a new file is of
        // the current version.
        if (ok && upgradeSchema(db, &err) != SchemaUpgrade::Upgraded)
            ok = false;
        if (ok && options.demo)
            ok = addDemo(db, options, &err);
        if (ok && options.records > 0)
            ok = addBulkIndexedAfter(db, options, &err);
        if (ok && !db.exec(QStringLiteral("COMMIT"))) {
            ok = false;
            err = db.lastError();
        }
        if (DbError recalc; ok && !RecalcAccountTotals(db, &recalc)) {
            ok = false;
            err = recalc;
        }
        if (ok && !db.exec(QStringLiteral("ANALYZE"))) {
            ok = false;
            err = db.lastError();
        }
        db.close();
        if (!ok) {
            QFile::remove(tmp);
            return fail(err);
        }
    }
    // One step (POSIX rename replaces the target): an old file is there
    // until the new one is, whenever the build is stopped.
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(tmp).toStdString()),
                            std::filesystem::path(QFile::encodeName(path).toStdString()), ec);
    if (ec) {
        QFile::remove(tmp);
        return fail(QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(ec.message().c_str())));
    }
    return true;
}
