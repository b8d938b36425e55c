// The trends page's three tabs at 200k and 400k records over twenty years,
// each from the choice that fills it to the tab painted, against the same
// reads alone (the data functions behind the tab) in the same run.
#include "bench/BenchUtil.h"
#include "data/Clock.h"
#include "reports/Tf_qushi.h"
#include "reports/Trends.h"

#include <QComboBox>
#include <QTabWidget>

namespace {

// Chooses `index` in the combo as a user does and paints the tab it sits on.
double tabMs(Tf_qushi& page, int tab, const char* comboName, int index)
{
    auto* tabs = page.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    auto* combo = page.findChild<QComboBox*>(QString::fromLatin1(comboName));
    Bench::require(tabs && combo, "finding the page's controls");
    tabs->setCurrentIndex(tab);
    combo->setCurrentIndex(index);
    return Bench::medianMs(7, [&] {
        emit combo->activated(index);
        (void)tabs->currentWidget()->grab();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    for (const qint64 n : {200000, 400000}) {
        Bench::OpenedBulkDb db(n, true);
        const QDate today = Clock::today();
        Database& d = Database::shared();
        Tf_qushi page;
        page.resize(773, 486);
        page.show();
        QApplication::processEvents();
        std::printf("%lld records over twenty years\n", n);

        const auto worthReads = [&](int months) {
            return Bench::medianMs(7, [&] {
                QList<WorthPoint> points;
                QDate since = QDate(today.year(), today.month(), 1).addMonths(1 - months), last, undated;
                if (months > 240)
                    Bench::require(recordSpan(d, &since, &last), "record span");
                Bench::require(netWorthSeries(d, since, today, today, &points), "net worth");
                Bench::require(undatedRepaymentsBefore(d, today, &undated), "undated repayments");
            });
        };
        const double worth24 = tabMs(page, 0, "ComboBox1", 1), worth24Reads = worthReads(24);
        const double worthAll = tabMs(page, 0, "ComboBox1", 4), worthAllReads = worthReads(100000);
        const double year = tabMs(page, 1, "ComboBox2", 1);
        const double yearReads = Bench::medianMs(7, [&] {
            MonthlyTotals a, b;
            Bench::require(monthlyTotals(d, today.year() - 1, 0, &a) && monthlyTotals(d, today.year() - 2, 0, &b),
                           "monthly totals");
        });
        const double summary = tabMs(page, 2, "ComboBox4", 1);
        const double summaryReads = Bench::medianMs(7, [&] {
            YearSummary s;
            Bench::require(yearSummary(d, today.year() - 1, &s), "year summary");
        });
        const auto line = [](const char* what, double page, double reads) {
            std::printf("  %-28s %7.1f ms   reads alone %7.1f ms   ratio %.2f\n", what, page, reads, page / reads);
        };
        line("资产趋势, last 24 months", worth24, worth24Reads);
        line("资产趋势, everything", worthAll, worthAllReads);
        line("同比环比, last year", year, yearReads);
        line("年度账单, last year", summary, summaryReads);
    }
    return 0;
}
