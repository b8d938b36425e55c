// The print and export page: its list, the Excel file it writes (read back
// by an independent reader) and the printout (print preview and PDF).
#include "reports/Tf_dayin.h"
#include "tests/support/Driver.h"
#include "tests/support/FileDialogs.h"
#include "tests/support/XlsCells.h"
#include "ui/DataGrid.h"
#include "ui/GridOutput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Driver;

namespace {
constexpr const char* kGrid = "DBGridEh18";

// Every row of the file's first sheet, cells joined by blanks, as xlrd reads them.
QStringList xlsLines(const QString& path)
{
    QString error;
    const QJsonArray books = XlsCells::readBack({path}, &error);
    const QJsonArray sheets = books.isEmpty() ? QJsonArray() : books[0][QStringLiteral("sheets")].toArray();
    if (sheets.isEmpty()) {
        qWarning("%s", qPrintable(error));
        return {QStringLiteral("<unreadable>")};
    }
    QStringList out;
    for (const QJsonValue& row : sheets[0][QStringLiteral("rows")].toArray()) {
        QStringList cells;
        for (const QJsonValue& c : row.toArray())
            cells << c[1].toVariant().toString();
        out << cells.join(u' ');
    }
    return out;
}

QByteArray bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The text of the grid printed to an A4 PDF with 10 mm margins, pages
// separated by form feeds.
QString pdfText(const DataGrid& grid, const GridOutput::PrintOptions& options = {})
{
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("list.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    GridOutput::print(grid, printer, options);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30000) || text.exitCode() != 0)
        return QStringLiteral("<pdftotext failed>");
    return QString::fromUtf8(text.readAllStandardOutput());
}

// Pages of the print preview the click brings up (the standard one, or for
// a long printout the one that paints a page at a time); the preview is closed.
int previewPages(QObject* page, const QString& button, bool* paged = nullptr)
{
    int pages = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<QDialog*>(w);
            if (!d || !d->isVisible() || d->objectName() != u"PrintPreviewDialog")
                continue;
            if (auto* standard = qobject_cast<QPrintPreviewDialog*>(d))
                pages = standard->findChild<QPrintPreviewWidget*>()->pageCount();
            else
                pages = d->findChild<QSpinBox*>(QStringLiteral("PageNumber"))->maximum();
            if (paged)
                *paged = !qobject_cast<QPrintPreviewDialog*>(d);
            d->reject();
        }
    });
    poll.start(10);
    click(page, button);
    return pages;
}
}  // namespace

class TstDayin : public QObject {
    Q_OBJECT
private slots:
    void listsRecordsOfTheRange()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 quote = addMember(QStringLiteral("O'Brien"));
        const qint64 named = addMember(QStringLiteral("全部用户"));
        addRecord(QStringLiteral("工资"), QStringLiteral("1000"), QDate(2012, 3, 1));
        addRecord(QStringLiteral("午餐"), QStringLiteral("20.5"), QDate(2012, 3, 1), QString(), quote);
        addRecord(QStringLiteral("早餐"), QStringLiteral("8"), QDate(2012, 2, 1));
        addRecord(QStringLiteral("晚餐"), QStringLiteral("30"), QDate(2012, 2, 1), QString(), named);
        addRecord(QStringLiteral("早餐"), QStringLiteral("99"), QDate(2011, 12, 31));  // before the range
        Tf_dayin page;
        page.show();
        auto* members = find<QComboBox>(&page, "ComboBox3");
        QCOMPARE(members->count(), 4);
        QCOMPARE(members->currentText(), QStringLiteral("全部用户"));
        QCOMPARE(find<QComboBox>(&page, "ComboBox4")->currentText(), QStringLiteral("收入"));
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker14")->date(), QDate(2012, 1, 1));
        QCOMPARE(find<QDateEdit>(&page, "DateTimePicker13")->date(), QDate(2012, 5, 20));
        QCOMPARE(rowCount(&page, kGrid), 0);

        click(&page, "Button58");
        QCOMPARE(rowTexts(&page, kGrid, 5), QStringList{QStringLiteral("2012-03-01 工资 admin 现金 1000.00")});
        QCOMPARE(footerTexts(&page, kGrid),
                 (QStringList{QStringLiteral("合计:"), QString(), QString(), QString(), QStringLiteral("￥1000.00")}));

        // Expenses by date, one day's records in the order entered.
        find<QComboBox>(&page, "ComboBox4")->setCurrentIndex(1);
        click(&page, "Button58");
        QCOMPARE(rowTexts(&page, kGrid, 5), (QStringList{QStringLiteral("2012-02-01 早餐 admin 现金 8.00"),
                                                         QStringLiteral("2012-02-01 晚餐 全部用户 现金 30.00"),
                                                         QStringLiteral("2012-03-01 午餐 O'Brien 现金 20.50")}));
        QCOMPARE(footerTexts(&page, kGrid).last(), QStringLiteral("￥58.50"));

        // One member, a quote in the name; the member named "全部用户" alone.
        members->setCurrentIndex(2);
        click(&page, "Button58");
        QCOMPARE(rowTexts(&page, kGrid, 5), QStringList{QStringLiteral("2012-03-01 午餐 O'Brien 现金 20.50")});
        members->setCurrentIndex(3);
        click(&page, "Button58");
        QCOMPARE(rowTexts(&page, kGrid, 5), QStringList{QStringLiteral("2012-02-01 晚餐 全部用户 现金 30.00")});

        // Reversed dates list nothing.
        members->setCurrentIndex(0);
        setDate(&page, "DateTimePicker14", QDate(2012, 5, 1));
        setDate(&page, "DateTimePicker13", QDate(2012, 1, 1));
        click(&page, "Button58");
        QCOMPARE(rowCount(&page, kGrid), 0);
        QCOMPARE(footerTexts(&page, kGrid).last(), QStringLiteral("￥0.00"));
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }

    // With 打印标题和页码 (on by default) the first page carries the list's
    // name and every page its number; a printout of over 50 pages is
    // previewed a page at a time, with the same count of pages.
    void titleAndPageNumbers_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("paged");
        QTest::newRow("a few pages") << 300 << false;
        QTest::newRow("many pages") << 3000 << true;
    }
    void titleAndPageNumbers()
    {
        QFETCH(int, rows);
        QFETCH(bool, paged);
        TEST_BEGIN
        PageFixture f;
        TestDb::sql(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1)"
                                   " insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class)"
                                   " select (select id from s_fenlei where f_name='工资'), 10000*i, 1, 1, "
                                   "date('2012-01-01', '+'||(i%100)||' days'), 'S' from n")
                        .arg(rows));
        Tf_dayin page;
        page.show();
        QVERIFY(find<QCheckBox>(&page, "CheckBox1")->isChecked());
        QCOMPARE(find<QCheckBox>(&page, "CheckBox1")->text(), QStringLiteral("打印标题和页码"));
        click(&page, "Button58");
        const GridOutput::PrintOptions options{QStringLiteral("收入明细 2012-01-01 至 2012-05-20 全部用户"), true};
        const QStringList pages = pdfText(*grid(&page, kGrid), options).split(u'\f', Qt::SkipEmptyParts);
        // pdftotext drops the blanks beside Chinese characters.
        const auto bare = [](QString t) { return t.remove(u' '); };
        for (int i = 0; i < pages.size(); ++i) {
            QVERIFY2(bare(pages[i]).contains(QStringLiteral("第%1页/共%2页").arg(i + 1).arg(pages.size())),
                     qPrintable(pages[i].right(200)));
            QCOMPARE(bare(pages[i]).contains(bare(options.title)), i == 0);
        }
        bool previewPaged = false;
        QCOMPARE(previewPages(&page, "Button59", &previewPaged), int(pages.size()));
        QCOMPARE(previewPaged, paged);
        TEST_END
    }

    void exportsToExcel()
    {
        TEST_BEGIN
        PageFixture f;
        addRecord(QStringLiteral("午餐"), QStringLiteral("20.5"), QDate(2012, 3, 1));
        addRecord(QStringLiteral("早餐"), QStringLiteral("007"), QDate(2012, 3, 2), QString());
        Tf_dayin page;
        page.show();
        find<QComboBox>(&page, "ComboBox4")->setCurrentIndex(1);
        QTemporaryDir dir;
        const QDir out(dir.path());
        FileDialogAnswerer dialogs;

        // A cancelled dialog writes nothing, though the list was read.
        QCOMPARE(f.boxesAfterClick(&page, "Button61"), QStringList());
        QCOMPARE(dialogs.titles, QStringList{QStringLiteral("导出Excel")});
        QCOMPARE(dialogs.filters,
                 QStringList{QStringLiteral("Excel表格 (*.xls);Excel工作簿 (*.xlsx);CSV (UTF-8) (*.csv)")});
        QCOMPARE(dialogs.folders, QStringList{QDir::homePath()});
        QCOMPARE(rowCount(&page, kGrid), 2);
        QVERIFY(out.isEmpty());

        // ".xls" is added once, whatever its letter case; the file holds
        // the titles and the rows in grid order; no notice on success.
        dialogs.answer = out.filePath(QStringLiteral("收支2012.05"));
        QCOMPARE(f.boxesAfterClick(&page, "Button61"), QStringList());
        QCOMPARE(
            xlsLines(out.filePath(QStringLiteral("收支2012.05.xls"))),
            (QStringList{QStringLiteral("日期 项目 用户 账户 金额"), QStringLiteral("2012-03-01 午餐 admin 现金 20.5"),
                         QStringLiteral("2012-03-02 早餐 admin 现金 7")}));
        dialogs.answer = out.filePath(QStringLiteral("R.XLS"));
        QCOMPARE(f.boxesAfterClick(&page, "Button61"), QStringList());
        QCOMPARE(out.entryList(QDir::Files), (QStringList{QStringLiteral("R.XLS"), QStringLiteral("收支2012.05.xls")}));
        // The next dialog opens where the last file went.
        QCOMPARE(dialogs.folders.last(), out.absolutePath());

        // The other types get their own suffix; the replace question names
        // the file really written.
        dialogs.filter = QStringLiteral("CSV (UTF-8) (*.csv)");
        dialogs.answer = out.filePath(QStringLiteral("R.XLS"));
        QCOMPARE(f.boxesAfterClick(&page, "Button61"), QStringList());
        QCOMPARE(bytes(out.filePath(QStringLiteral("R.XLS.csv"))),
                 QByteArray("\xEF\xBB\xBF日期,项目,用户,账户,金额\r\n2012-03-01,午餐,admin,现金,20.50\r\n"
                            "2012-03-02,早餐,admin,现金,7.00\r\n"));
        dialogs.filter = QStringLiteral("Excel工作簿 (*.xlsx)");
        dialogs.answer = out.filePath(QStringLiteral("收支2012.05"));
        QCOMPARE(f.boxesAfterClick(&page, "Button61"), QStringList());
        QVERIFY(bytes(out.filePath(QStringLiteral("收支2012.05.xlsx"))).startsWith("PK"));
        f.boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&page, "Button61"),
                 QStringList{QStringLiteral("文件“收支2012.05.xlsx”已存在，是否替换？")});
        dialogs.filter.clear();
        for (const char* name : {"R.XLS.csv", "收支2012.05.xlsx"})
            QVERIFY(QFile::remove(out.filePath(QString::fromUtf8(name))));

        // An existing file: Cancel leaves it as it was, OK replaces it.
        QFile old(out.filePath(QStringLiteral("report.xls")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old contents") > 0);
        old.close();
        dialogs.answer = out.filePath(QStringLiteral("report"));
        f.boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&page, "Button61"),
                 QStringList{QStringLiteral("文件“report.xls”已存在，是否替换？")});
        QCOMPARE(f.boxes.seen.last().icon, QMessageBox::Question);
        QCOMPARE(f.boxes.seen.last().title, QStringLiteral("系统提示"));
        QCOMPARE(bytes(old.fileName()), QByteArray("old contents"));
        f.boxes.setAnswer(QMessageBox::Ok);
        dialogs.answer = out.filePath(QStringLiteral("report.xls"));
        QCOMPARE(f.boxesAfterClick(&page, "Button61").size(), 1);
        QCOMPARE(xlsLines(old.fileName()).size(), 3);

        // A failed write: tst_backupfaults' causeIsNamed (export rows).

        // A list that cannot be read: the error, no dialog, no file.
        TestDb::sql(QStringLiteral("drop view s_z_all"));
        const int dialogsBefore = dialogs.titles.size();
        const QStringList refused = f.boxesAfterClick(&page, "Button61");
        QCOMPARE(refused.size(), 1);
        QVERIFY(refused[0].startsWith(QStringLiteral("数据库操作失败")));
        QCOMPARE(dialogs.titles.size(), dialogsBefore);
        TEST_END
    }

    // Before any query the printout is one blank page. A long list comes in
    // chunks, its footer whole from the start; the printout and the export
    // read every row.
    void printsAndExportsLongLists()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_dayin page;
        page.show();
        QCOMPARE(previewPages(&page, "Button59"), 1);
        QVERIFY(f.boxes.seen.isEmpty());

        TestDb::sql(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<1500)"
                                   " insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class)"
                                   " select (select id from s_fenlei where f_name='工资'), 10000*i, 1, 1, "
                                   "date('2012-01-01', '+'||(i%100)||' days'), 'S'"
                                   " from n"));
        click(&page, "Button58");
        QVERIFY(rowCount(&page, kGrid) < 1500);
        QCOMPARE(footerTexts(&page, kGrid).last(), QStringLiteral("￥1125750.00"));
        // The printout as PDF: titles on every page, the rows to the last,
        // the footer sum once at the end.
        const QString all = pdfText(*grid(&page, kGrid));
        const QStringList pages = all.split(u'\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() > 2, qPrintable(all.left(400)));
        for (const QString& p : pages)
            QVERIFY2(p.contains(QStringLiteral("日期")) && p.contains(QStringLiteral("金额")), qPrintable(p.left(200)));
        QVERIFY(pages.first().contains(QStringLiteral("2012-01-01")));
        QVERIFY(pages.last().contains(QStringLiteral("2012-04-09")));
        QVERIFY(all.count(QStringLiteral("合计:")) == 1 && pages.last().contains(QStringLiteral("￥1125750.00")));
        QVERIFY(previewPages(&page, "Button59") > 1);
        QVERIFY(f.boxes.seen.isEmpty());

        click(&page, "Button58");
        QVERIFY(rowCount(&page, kGrid) < 1500);
        QTemporaryDir dir;
        FileDialogAnswerer dialogs;
        dialogs.answer = QDir(dir.path()).filePath(QStringLiteral("all"));
        QCOMPARE(f.boxesAfterClick(&page, "Button61"), QStringList());
        const QStringList file = xlsLines(QDir(dir.path()).filePath(QStringLiteral("all.xls")));
        QCOMPARE(file.size(), 1501);
        QCOMPARE(file[1], QStringLiteral("2012-01-01 工资 admin 现金 100"));
        QCOMPARE(file.last(), QStringLiteral("2012-04-09 工资 admin 现金 1499"));
        QCOMPARE(rowCount(&page, kGrid), 1500);

        // Columns wider than the page shrink to fit: the last title is
        // printed whole; a text longer than its column ends in "…".
        grid(&page, kGrid)->setColumnWidth(0, 2000);
        grid(&page, kGrid)->setColumnWidth(1, 30);
        const QString wide = pdfText(*grid(&page, kGrid));
        QVERIFY2(wide.contains(QStringLiteral("金额")) && wide.contains(QStringLiteral("…")),
                 qPrintable(wide.left(400)));
        TEST_END
    }
};

QTEST_MAIN(TstDayin)
#include "tst_dayin.moc"
