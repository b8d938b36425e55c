// The three report pages' refresh at 200k records over twenty years, for one
// year and for all twenty, each against a bare grouped SELECT over the same
// range measured in the same run: by day for the journal, by top-level
// category over v_flbb for the category report, by member and month for the
// member report.
#include "bench/BenchUtil.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "reports/Tf_fenleibaobiao.h"
#include "reports/Tf_liushuibaobiao.h"
#include "reports/Tf_renyuanbaobiao.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDateEdit>
#include <QPushButton>
#include <QTableView>

namespace {
const char* const kBareDays
    = "SELECT s_date, sum(s_jine) FROM s_z_all WHERE s_date BETWEEN :t1 AND :t2 GROUP BY s_date";
const char* const kBareCategories
    = "SELECT dfenlei, sum(s_jine) FROM v_flbb WHERE s_date BETWEEN :t1 AND :t2 AND f_class='Z' GROUP BY dfenlei";
const char* const kBareMembers
    = "SELECT substr(s_date,1,7), sys_name, sum(s_jine) FROM s_z_all WHERE s_date BETWEEN :t1 AND :t2 "
      "GROUP BY substr(s_date,1,7), sys_name";
// The member report's grouping written with the date function instead.
const char* const kMembersByFunction
    = "SELECT format(s_date,'YYYY-MM'), sys_name, sum(s_jine) FROM s_z_all WHERE s_date BETWEEN :t1 AND :t2 "
      "GROUP BY format(s_date,'YYYY-MM'), sys_name";

int drain(const char* sql, const QDate& from, const QDate& to)
{
    Query q(QString::fromUtf8(sql));
    q.bind(":t1", from).bind(":t2", to);
    int rows = 0;
    while (q.next())
        ++rows;
    Bench::require(q.ok(), "bare statement");
    return rows;
}

// Sets the page's range and times its button; the grid must show rows.
double refreshMs(QWidget& page, const char* from, const char* to, const char* button, const char* grid,
                 const QDate& first, const QDate& last)
{
    page.findChild<QDateEdit*>(QString::fromLatin1(from))->setDate(first);
    page.findChild<QDateEdit*>(QString::fromLatin1(to))->setDate(last);
    auto* b = page.findChild<QPushButton*>(QString::fromLatin1(button));
    auto* g = page.findChild<QTableView*>(QString::fromLatin1(grid));
    Bench::require(b && g, "finding the page's controls");
    return Bench::medianMs(7, [&] {
        b->click();
        Bench::require(g->model()->rowCount() > 0, "a report with rows");
    });
}
}  // namespace

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    const qint64 n = 200000;
    Bench::OpenedBulkDb db(n);

    Tf_liushuibaobiao journal;
    Tf_fenleibaobiao categories;
    Tf_renyuanbaobiao members;
    const QDate today = QDate::currentDate();
    const struct {
        const char* name;
        QDate first;
    } ranges[] = {
        {"one year", today.addYears(-1).addDays(1)},
        {"twenty years", today.addYears(-20)},
    };
    std::printf("%lld records over twenty years\n", n);
    // What any refill pays at least: one durable commit of a write to the file.
    const double commitMs = Bench::medianMs(7, [] {
        Transaction tx;
        Query q(QStringLiteral("delete from s_ls"));
        Bench::require(q.exec() && tx.commit(), "an empty refill");
    });
    std::printf("floor: a transaction emptying s_ls, committed %.1f ms\n", commitMs);
    for (const auto& r : ranges) {
        const double bareDays = Bench::medianMs(7, [&] { drain(kBareDays, r.first, today); });
        const double days
            = refreshMs(journal, "DateTimePicker1", "DateTimePicker2", "Button43", "DBGridEh11", r.first, today);
        std::printf("%-12s journal 刷新 %7.1f ms vs bare by-day SELECT %7.1f ms (%.2fx)\n", r.name, days, bareDays,
                    days / bareDays);

        const double bareCats = Bench::medianMs(7, [&] { drain(kBareCategories, r.first, today); });
        const double cats
            = refreshMs(categories, "DateTimePicker1", "DateTimePicker2", "Button44", "DBGridEh14", r.first, today);
        std::printf("%-12s category 查询 %7.1f ms vs bare by-category SELECT %7.1f ms (%.2fx)\n", r.name, cats,
                    bareCats, cats / bareCats);

        const double bareMembers = Bench::medianMs(7, [&] { drain(kBareMembers, r.first, today); });
        const double byFunction = Bench::medianMs(3, [&] { drain(kMembersByFunction, r.first, today); });
        const double lines
            = refreshMs(members, "DateTimePicker1", "DateTimePicker2", "Button45", "DBGridEh16", r.first, today);
        std::printf("%-12s member 刷新 %7.1f ms vs bare by-member-and-month SELECT %7.1f ms (%.2fx); "
                    "that SELECT grouped by format() %.1f ms\n",
                    r.name, lines, bareMembers, lines / bareMembers, byFunction);
    }
    return 0;
}
