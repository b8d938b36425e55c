// Every page's opening (its navigation entry clicked until the window is
// painted) and every save, at 10k, 200k and 400k records, each against the
// time SQLite itself spends in the statements it runs, taken from the
// connection's statement clock in the same run. The peak memory of the real
// program after visiting every page is bench/rss_tour.sh's (RSS_ALL=1).
#include "accounts/Tf_zhanghu.h"
#include "app/TForm1.h"
#include "bench/BenchUtil.h"
#include "budget/Tf_yushuan.h"
#include "data/Database.h"
#include "loans/LoanPage.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/Driver.h"
#include "ui/ClickLabel.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <vector>

using namespace Driver;

namespace {

struct Timing {
    double totalMs = 0, sqlMs = 0;
};

// Median of `runs` runs of `fn`, with the statement time of that run.
Timing median(int runs, const std::function<void()>& fn)
{
    std::vector<Timing> t;
    for (int i = 0; i < runs; ++i) {
        Database::shared().startStatementClock();
        QElapsedTimer e;
        e.start();
        fn();
        t.push_back({e.nsecsElapsed() / 1e6, Database::shared().statementNanoseconds() / 1e6});
    }
    std::sort(t.begin(), t.end(), [](const Timing& a, const Timing& b) { return a.totalMs < b.totalMs; });
    return t[t.size() / 2];
}

// Until the page has read what it shows: pages that read after their first
// show do it from a 0-ms timer, the reports and loan pages from their 50-ms
// timer, which is made to fire at once (the wait is not the page's work).
void settle(TForm1& form)
{
    for (int round = 0; round < 20; ++round) {
        QApplication::processEvents();
        bool waiting = false;
        if (QWidget* page = form.currentPage())
            for (QTimer* t : page->findChildren<QTimer*>())
                if (t->isActive() && t->interval() <= 100) {
                    t->setInterval(0);
                    waiting = true;
                }
        if (!waiting)
            break;
    }
    form.repaint();
}

void open(TForm1& form, const char* entry)
{
    emit form.findChild<ClickLabel*>(QString::fromLatin1(entry))->clicked();
    settle(form);
}

void row(qint64 n, const QString& what, const Timing& t)
{
    std::printf("%7lld %9.1f ms %9.2f ms %7.2fx  %s\n", n, t.totalMs, t.sqlMs, t.sqlMs > 0 ? t.totalMs / t.sqlMs : 0.0,
                qPrintable(what));
}

struct Save {
    const char* name;
    const char* entry;
    std::function<void(QWidget* page)> fill;  // untimed: what the user types
    const char* button;
};

}  // namespace

int main(int argc, char** argv)
{
    Bench::GuiApp app(argc, argv);
    BoxAnswerer boxes;  // every question answered with OK

    const QList<Save> saves{
        {"支出: 保存", "Label9",
         [](QWidget* p) {
             setText(p, "Edit3", QStringLiteral("早餐"));
             setText(p, "Edit1", QStringLiteral("12.5"));
         },
         "Button3"},
        {"收入: 保存", "Label10",
         [](QWidget* p) {
             setText(p, "Edit3", QStringLiteral("工资"));
             setText(p, "Edit1", QStringLiteral("1000"));
         },
         "Button3"},
        {"账户: 新账户 保存", "Label11",
         [](QWidget* p) {
             click(p, "Button27");
             editCell(p, "DBGridEh3", rowCount(p, "DBGridEh3") - 1, Tf_zhanghu::ColName, QStringLiteral("新卡"));
         },
         "Button9"},
        {"借入: 新借入 保存", "Label15",
         [](QWidget* p) {
             // The list comes from the page's first-listing timer, after it shows.
             for (int i = 0; i < 200 && grid(p, "DBGridEh6")->model()->columnCount() == 0; ++i)
                 QTest::qWait(10);
             click(p, "Button35");
             const int r = rowCount(p, "DBGridEh6") - 1;
             editCell(p, "DBGridEh6", r, LoanPage::ColAccount, qint64(1));
             editCell(p, "DBGridEh6", r, LoanPage::ColAmount, QStringLiteral("100"));
             editCell(p, "DBGridEh6", r, LoanPage::ColRepaid, QStringLiteral("0"));
         },
         "Button37"},
        {"预算: 保存", "Label22",
         [](QWidget* p) {
             static int k = 0;  // a new amount each time, so there is something to save
             editCell(p, "DBGridEh9", 0, Tf_yushuan::DefMoney, QString::number(800 + ++k));
         },
         "Button1"},
        {"日记本: 保存", "Label4",
         [](QWidget* p) {
             click(p, "Button1");
             find<QPlainTextEdit>(p, "DBMemo1")->setPlainText(QStringLiteral("今天记了一笔账"));
         },
         "Button4"},
        {"桌面: 便签 保存", "Label3",
         [](QWidget* p) {
             clickLabel(p, "Label1");
             find<QLineEdit>(p, "Edit6")->setText(QStringLiteral("月底对账"));
         },
         "Button57"},
    };

    std::printf("build type: %s\n", Bench::buildType());
    std::printf("%7s %12s %12s %8s  %s\n", "records", "total", "statements", "ratio", "page or save");
    for (qint64 n : {10000, 200000, 400000}) {
        Bench::OpenedBulkDb db(n);
        TForm1 form(false);
        form.show();
        for (const NavEntry& e : defaultNavigation()) {
            if (!e.factory)
                continue;
            open(form, e.name);  // warm
            row(n, QString::fromUtf8(e.caption).remove(u' '), median(5, [&] { open(form, e.name); }));
        }
        for (const Save& s : saves) {
            bool done = false;
            TEST_BEGIN
            std::vector<Timing> t;
            for (int i = 0; i < 5; ++i) {
                open(form, s.entry);
                QWidget* page = form.currentPage();
                s.fill(page);
                t.push_back(median(1, [&] {
                    click(page, QString::fromLatin1(s.button));
                    settle(form);
                }));
            }
            std::sort(t.begin(), t.end(), [](const Timing& a, const Timing& b) { return a.totalMs < b.totalMs; });
            row(n, QString::fromUtf8(s.name), t[t.size() / 2]);
            done = true;
            TEST_END
            // A save the driver cannot fill is told and left out; the rest still count.
            if (!done)
                std::fprintf(stderr, "%s: the page could not be driven, left out\n", s.name);
        }
        // A failure box would make every figure after it meaningless.
        for (const SeenBox& b : boxes.seen)
            if (b.icon == QMessageBox::Critical) {
                std::fprintf(stderr, "a save failed: %s\n", qPrintable(b.text));
                return 1;
            }
        boxes.clear();
        form.close();
    }
    return 0;
}
