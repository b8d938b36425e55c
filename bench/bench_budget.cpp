// The budget comparison of one month at 200k records, against the bare sum of
// the month's spending from the same view, measured in the same run.
#include "bench/BenchUtil.h"
#include "budget/Tf_yushuan.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "ui/QueryModel.h"

#include <QApplication>

namespace {
// The same month picked out with the date functions instead of a range.
const char* const kByFunctions
    = "SELECT s_ys_2.f_name, s_ys_2.xxmoney, s_yushuan.y_money, s_yushuan.y_x\n"
      "FROM s_yushuan INNER JOIN (SELECT s_ys.xid, s_ys.f_name, Sum(s_ys.s_jine) AS xxmoney\n"
      "FROM s_ys where year(s_date)=:y and month(s_date)=:m\n"
      "GROUP BY s_ys.xid, s_ys.f_name\n"
      ") s_ys_2 ON s_yushuan.f_id = s_ys_2.xid";
const char* const kBare = "SELECT sum(s_jine) FROM s_ys WHERE s_date BETWEEN :t1 and :t2";

int drain(Query& q)
{
    int rows = 0;
    while (q.next())
        ++rows;
    Bench::require(q.ok(), "statement");
    return rows;
}
}  // namespace

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    const qint64 n = 200000;
    Bench::OpenedBulkDb db(n);

    // A month ten years back, in the middle of the records' twenty years.
    const QDate first = firstDayOfMonth(QDate::currentDate().addYears(-10));
    const QDate last = lastDayOfMonth(first);
    int categories = 0;
    const double bareMs = Bench::medianMs(25, [&] {
        Query q(QString::fromUtf8(kBare));
        q.bind(":t1", first).bind(":t2", last);
        drain(q);
    });
    const double stmtMs = Bench::medianMs(25, [&] {
        Query q(Tf_yushuan::comparisonSql());  // the page's statement
        for (const auto& [name, value] : Tf_yushuan::comparisonBinds(first))
            q.bindValue(name, value);
        categories = drain(q);
    });
    QueryModel model;
    model.setMoneyColumns({QStringLiteral("本月消费总额"), QStringLiteral("本月可用")});
    const double modelMs = Bench::medianMs(25, [&] {
        Bench::require(model.setQuery(Tf_yushuan::comparisonSql(), Tf_yushuan::comparisonBinds(first)), "comparison");
    });
    const double functionsMs = Bench::medianMs(3, [&] {
        Query q(QString::fromUtf8(kByFunctions));
        q.bind(":y", first.year()).bind(":m", first.month());
        Bench::require(drain(q) == categories, "same rows by functions");
    });
    std::printf("%lld records, month %s: budget comparison %.3f ms (%d categories; through the grid's model %.3f ms) "
                "vs bare month sum %.3f ms (%.2fx); with year()/month() instead of a range %.1f ms\n",
                n, qPrintable(first.toString(QStringLiteral("yyyy-MM"))), stmtMs, categories, modelMs, bareMs,
                stmtMs / bareMs, functionsMs);
    return 0;
}
