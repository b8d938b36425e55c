// The due list of 50 recurring plans begun twenty years ago, every past
// occurrence handled (what the start computes after the login), against
// reading the handled occurrences alone, in the same run.
#include "bench/BenchUtil.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "recurring/Plans.h"

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    Bench::OpenedBulkDb db(10000);
    Clock::setFixed(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    // Monthly, weekly, lunar yearly, every 10 days and month-end plans.
    const char* const rules[]
        = {"M|1|0|1|31|0|0", "W|1|21|1|1|0|0", "L|1|0|1|1|0|0", "D|10|0|1|1|0|0", "M|1|0|1|0|0|2"};
    {
        Transaction tx(Database::shared());
        for (int i = 0; i < 50; ++i) {
            Query q(QStringLiteral("insert into p_plan (p_name, p_type, f_id, z_id, u_id, p_money, p_rule, p_start) "
                                   "values (:n, 'Z', 2, 1, 1, 1000000, :r, '2006-12-09')"));
            q.bind(":n", QStringLiteral("计划%1").arg(i)).bind(":r", QString::fromLatin1(rules[i % 5]));
            Bench::require(q.exec(), "plan");
        }
        Bench::require(tx.commit(), "plans");
    }
    QList<Plan> plans;
    QList<DueOccurrence> due;
    Bench::require(readPlans(Database::shared(), &plans)
                       && dueOccurrences(Database::shared(), plans, Clock::today(), &due),
                   "due list");
    {
        Transaction tx(Database::shared());
        Query done(QStringLiteral("insert into p_done (p_id, o_date, d_state) values (:p, :o, 'skipped')"));
        for (const DueOccurrence& d : due) {
            done.reset();
            done.bind(":p", d.plan).bind(":o", d.occurrence);
            Bench::require(done.exec(), "handled");
        }
        Bench::require(tx.commit(), "handled rows");
    }
    const qint64 handled = due.size();
    const double bareMs = Bench::medianMs(15, [] {
        Query q(QStringLiteral("select p_id, o_date from p_done order by p_id, o_date"));
        while (q.next()) {
        }
    });
    const double dueMs = Bench::medianMs(15, [&] {
        Bench::require(readPlans(Database::shared(), &plans)
                           && dueOccurrences(Database::shared(), plans, Clock::today(), &due),
                       "due list");
    });
    std::printf("50 plans over 20 years (%lld occurrences handled): due list %.2f ms vs reading the handled rows "
                "alone %.2f ms (%.2fx), %lld due\n",
                handled, dueMs, bareMs, dueMs / bareMs, qint64(due.size()));
    return 0;
}
