// Opening "账 户" (the recomputation of the account totals, then the page)
// against the recomputation alone, in the same run.
#include "app/TForm1.h"
#include "bench/BenchUtil.h"
#include "data/AccountTotals.h"
#include "data/Database.h"
#include "data/Tx_Data.h"
#include "ui/ClickLabel.h"

#include <QApplication>

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    for (qint64 n : {10000, 200000}) {
        Bench::OpenedBulkDb db(n);
        const double recalcMs = Bench::medianMs(15, [] {
            DbError error;
            Bench::require(RecalcAccountTotals(Database::shared(), &error), "recomputation");
        });
        TForm1 form(false);
        form.show();
        auto* entry = form.findChild<ClickLabel*>(QStringLiteral("Label11"));
        const double openMs = Bench::medianMs(15, [&] {
            emit entry->clicked();
            Bench::require(form.currentPage() != nullptr, "opening the accounts page");
        });
        std::printf(
            "%lld records: opening 账 户 %.1f ms (recomputation + page) vs recomputation alone %.1f ms (%.2fx)\n", n,
            openMs, recalcMs, openMs / recalcMs);
        Database::shared().close();
    }
    return 0;
}
