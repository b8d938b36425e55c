// Creation of the expense page and one save, against the page's statements
// run alone in the same run.
#include "bench/BenchUtil.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/Journal.h"
#include "data/Tx_Data.h"
#include "ledger/SevenDayChart.h"
#include "ledger/Tf_zhichu.h"

#include <QApplication>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
// What creation asks of the database: member, account and top-level lists,
// the chart, today's records.
void creationStatements()
{
    const QDate today = Clock::today();
    for (const char* sql : {"select * from s_user", "select * from z_zhanghu order by id desc"}) {
        Query q(QString::fromUtf8(sql));
        while (q.next()) {
        }
    }
    Query top(QStringLiteral("select id,f_name from s_fenlei where f_id=0 and f_class=:sorz;"));
    top.bind(":sorz", QStringLiteral("Z"));
    while (top.next()) {
    }
    SevenDayChart::lastSevenDays(QStringLiteral("Z"));
    Query list(QStringLiteral(
        "select id as 编号,s_date as 时间 ,f_name as 项目,sys_name as 收付款人,s_jine as 金额,z_name as 账户,"
        "s_other as 备注, s_userid, s_zhanghuid, id from s_z_all where f_class=:c and s_date between :t1 and :t2"));
    list.bind(":c", QStringLiteral("Z")).bind(":t1", today).bind(":t2", today);
    while (list.next()) {
    }
}

// What a save asks: the category lookup, the insert, the list reload, the
// budget box and the chart.
void saveStatements()
{
    const QDate today = Clock::today();
    Query lookup(QStringLiteral("Select id from v_fenlei where f_name=:n and f_class=:c"));
    lookup.bind(":n", QStringLiteral("早餐")).bind(":c", QStringLiteral("Z"));
    lookup.next();
    const qint64 cat = lookup.integer(0);
    Query ins(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid, s_other, s_zhanghuid,s_date,f_class) "
                             "values (:f,:j,1,'',1,:d,'Z')"));
    ins.bind(":f", cat).bind(":j", Money::fromYuan(5)).bind(":d", today);
    Bench::require(ins.exec(), "insert");
    Query list(QStringLiteral(
        "select id as 编号,s_date as 时间 ,f_name as 项目,sys_name as 收付款人,s_jine as 金额,z_name as 账户,"
        "s_other as 备注, s_userid, s_zhanghuid, id from s_z_all where f_class=:c and s_date=:d"));
    list.bind(":c", QStringLiteral("Z")).bind(":d", today);
    while (list.next()) {
    }
    Query actual(
        QStringLiteral("Select sum(s_jine) as a from v_flbb where  f_id= 1 and  s_date between :t1   and  :t2"));
    actual.bind(":t1", firstDayOfMonth(today)).bind(":t2", lastDayOfMonth(today));
    actual.next();
    SevenDayChart::lastSevenDays(QStringLiteral("Z"));
}
}

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    Bench::AnswerBoxes boxes;  // a budget notice after a save
    for (qint64 n : {10000, 200000, 400000}) {
        Bench::OpenedBulkDb db(n);
        creationStatements();
        const double stmtMs = Bench::medianMs(15, creationStatements);
        const double pageMs = Bench::medianMs(15, [] { delete new Tf_zhichu; });
        std::printf("%lld records: expense page creation %.1f ms vs its statements alone %.1f ms (%.2fx)\n", n, pageMs,
                    stmtMs, pageMs / stmtMs);
        if (n == 200000) {
            const double saveStmtMs = Bench::medianMs(15, saveStatements);
            Tf_zhichu page;
            page.show();
            auto* category = page.findChild<QLineEdit*>(QStringLiteral("Edit3"));
            auto* amount = page.findChild<QLineEdit*>(QStringLiteral("Edit1"));
            auto* save = page.findChild<QPushButton*>(QStringLiteral("Button3"));
            const double saveMs = Bench::medianMs(15, [&] {
                category->setText(QStringLiteral("早餐"));
                amount->setText(QStringLiteral("5"));
                save->click();
            });
            std::printf("%lld records: save (insert, list, budget box, chart) %.1f ms vs its statements alone %.1f ms "
                        "(%.2fx)\n",
                        n, saveMs, saveStmtMs, saveMs / saveStmtMs);
            // What the journal adds to a save: the same insert committed
            // alone, and as an action with its row image.
            auto insertOne = [] {
                Query ins(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_other,s_zhanghuid,s_date,"
                                         "f_class) values (2,50000,1,'',1,'2012-05-20','Z')"));
                Bench::require(ins.exec(), "insert");
            };
            const double bareMs = Bench::medianMs(25, [&] {
                Transaction tx(Database::shared());
                insertOne();
                Bench::require(tx.commit(), "commit");
            });
            const double journalMs = Bench::medianMs(25, [&] {
                Bench::require(runAction(Database::shared(), QStringLiteral("保存支出 早餐 5.00"), ActionKind::Save,
                                         [&](DbError*) {
                                             insertOne();
                                             return true;
                                         }),
                               "journaled insert");
            });
            std::printf("%lld records: one record saved with its undo journal %.2f ms vs without %.2f ms (%.2fx)\n", n,
                        journalMs, bareMs, journalMs / bareMs);
        }
        {
            // 模糊查询 with no keyword from 2000-01-01 to today: until the first
            // rows and the footer are painted, against the first chunk and the
            // footer's sum run alone.
            Tf_zhichu page;
            page.show();
            auto* from = page.findChild<QDateEdit*>(QStringLiteral("DateTimePicker3"));
            auto* query = page.findChild<QPushButton*>(QStringLiteral("Button9"));
            from->setDate(QDate(2000, 1, 1));
            const double searchMs = Bench::medianMs(9, [&] {
                query->click();
                page.repaint();
            });
            const double bareMs = Bench::medianMs(9, [] {
                Query first(
                    QStringLiteral("select id,s_date,f_name,sys_name,s_jine,z_name,s_other,s_userid,s_zhanghuid,id "
                                   "from s_z_all where f_class='Z' and s_date between '2000-01-01' and :t "
                                   "order by s_date,id limit 500"));
                first.bind(":t", Clock::today());
                while (first.next()) {
                }
                Query sum(QStringLiteral(
                    "select sum(s_jine) from s_z_all where f_class='Z' and s_date between '2000-01-01' and :t"));
                sum.bind(":t", Clock::today());
                sum.next();
            });
            std::printf("%lld records: twenty-year search to first rows painted %.1f ms vs its first chunk and sum "
                        "alone %.1f ms (%.2fx)\n",
                        n, searchMs, bareMs, searchMs / bareMs);
        }
        Database::shared().close();
    }
    return 0;
}
