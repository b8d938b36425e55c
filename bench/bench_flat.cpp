// Whether the clicks stay flat as the records grow: each figure at 10k, 200k,
// 400k and a million records, against the same figure at 10k in the same run
// (the baseline), with the records' monthly sums kept by triggers. Also a
// save on the expense page with the sums' triggers against the same save
// without them, and the sums built anew from scratch.
#include "app/TForm1.h"
#include "app/Tf_main.h"
#include "bench/BenchUtil.h"
#include "data/AccountTotals.h"
#include "data/Sums.h"
#include "ledger/Tf_zhichu.h"
#include "reports/Tf_fenleibaobiao.h"
#include "ui/ClickLabel.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <map>

namespace {

struct Figure {
    const char* name;
    double target;  // ms at 400k, 0: none
};
const Figure kFigures[] = {
    {"桌面 clicked to painted", 40},
    {"desktop page creation", 16},
    {"账户 opened", 40},
    {"twenty-year search to first rows and footer", 40},
    {"twenty-year category report 查询", 60},
    {"save on the expense page", 5},
    {"the same save without the sums' triggers", 0},
    {"sums built anew", 1000},
};

double clickMs(TForm1& form, const char* entry)
{
    auto* label = form.findChild<ClickLabel*>(QString::fromLatin1(entry));
    Bench::require(label != nullptr, "the entry");
    return Bench::medianMs(15, [&] {
        emit label->clicked();
        form.repaint();
    });
}

double saveMs()
{
    Tf_zhichu page;
    page.show();
    auto* category = page.findChild<QLineEdit*>(QStringLiteral("Edit3"));
    auto* amount = page.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    auto* save = page.findChild<QPushButton*>(QStringLiteral("Button3"));
    return Bench::medianMs(25, [&] {
        category->setText(QStringLiteral("早餐"));
        amount->setText(QStringLiteral("5"));
        save->click();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    Bench::AnswerBoxes boxes;  // a budget notice after a save
    const QDate today = QDate::currentDate(), twentyYears = today.addYears(-20);
    std::map<qint64, std::map<int, double>> ms;
    const qint64 sizes[] = {10000, 200000, 400000, 1000000};
    for (qint64 n : sizes) {
        Bench::OpenedBulkDb db(n);
        Database& file = Database::shared();
        Bench::require(RecalcAccountTotals(file), "the totals");
        auto& at = ms[n];
        {
            TForm1 form(false);
            form.show();
            at[0] = clickMs(form, "Label3");
            at[2] = clickMs(form, "Label11");
        }
        at[1] = Bench::medianMs(15, [] { delete new Tf_main; });
        {
            Tf_zhichu page;
            page.show();
            page.findChild<QDateEdit*>(QStringLiteral("DateTimePicker3"))->setDate(twentyYears);
            auto* query = page.findChild<QPushButton*>(QStringLiteral("Button9"));
            at[3] = Bench::medianMs(9, [&] {
                query->click();
                page.repaint();
            });
        }
        {
            Tf_fenleibaobiao page;
            page.show();
            page.findChild<QDateEdit*>(QStringLiteral("DateTimePicker1"))->setDate(twentyYears);
            page.findChild<QDateEdit*>(QStringLiteral("DateTimePicker2"))->setDate(today);
            auto* query = page.findChild<QPushButton*>(QStringLiteral("Button44"));
            at[4] = Bench::medianMs(9, [&] {
                query->click();
                page.repaint();
            });
        }
        at[5] = saveMs();
        Bench::require(file.exec(QStringLiteral("drop trigger h_shouru_insert; drop trigger h_shouru_delete; "
                                                "drop trigger h_shouru_update")),
                       "dropping the triggers");
        at[6] = saveMs();
        for (const char* sql : sumsLayoutStatements())
            Bench::require(file.exec(QString::fromUtf8(sql)), "the triggers again");
        at[7] = Bench::medianMs(3, [&] { Bench::require(rebuildSums(file), "building the sums"); });
        std::printf("%7lld records done\n", n);
        std::fflush(stdout);
        file.close();
    }
    std::printf("\n%-46s", "ms (x the same at 10k)");
    for (qint64 n : sizes)
        std::printf(" %16lld", n);
    std::printf("   target at 400k\n");
    for (int f = 0; f < int(std::size(kFigures)); ++f) {
        std::printf("%-46s", kFigures[f].name);
        for (qint64 n : sizes)
            std::printf("  %7.1f (%5.2fx)", ms[n][f], ms[n][f] / ms[10000][f]);
        if (kFigures[f].target > 0)
            std::printf("   <= %.0f", kFigures[f].target);
        std::printf("\n");
    }
    std::printf("save with the triggers / without, at 400k: %.2fx (target <= 1.3x)\n", ms[400000][5] / ms[400000][6]);
    return 0;
}
