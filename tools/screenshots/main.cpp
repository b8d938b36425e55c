// Renders the login dialog and the main window with each page to PNG files,
// offscreen, from a fresh demo database.
//   screenshots [OUTDIR]          (default docs/screenshots)
//   screenshots OUTDIR --200k     the pages that read long histories, over
//                                 the demo and 200,000 records of 20 years

#include "app/Pages.h"
#include "app/TForm1.h"
#include "app/Tf_login.h"
#include "calendar/TChnCalendar.h"
#include "data/Categories.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/DbBuilder.h"
#include "data/Journal.h"
#include "data/Tx_Data.h"
#include "recurring/Plans.h"
#include "recurring/Tf_daichuli.h"
#include "ui/ChineseUi.h"
#include "ui/ClickLabel.h"
#include "ui/DataGrid.h"
#include "ui/GridOutput.h"
#include "ui/Page.h"
#include "ui/Skin.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {
void save(QWidget* w, const QString& dir, const QString& name)
{
    QTest::qWait(60);
    const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
    if (w->grab().save(file))
        std::printf("wrote %s\n", qPrintable(file));
    else
        std::fprintf(stderr, "could not write %s\n", qPrintable(file));
}

// The window with a pop-up (a list, a calendar, a message box, a dialog)
// painted over it where it shows.
void saveWithPopup(QWidget* form, QWidget* popup, const QString& dir, const QString& name)
{
    QPixmap shot = form->grab();
    QPainter p(&shot);
    p.drawPixmap(form->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    p.end();
    const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
    if (shot.save(file))
        std::printf("wrote %s\n", qPrintable(file));
}

void click(QWidget* root, const char* name)
{
    if (auto* l = root->findChild<ClickLabel*>(QString::fromLatin1(name)))
        emit l->clicked();
    else if (auto* b = root->findChild<QPushButton*>(QString::fromLatin1(name)))
        b->click();
}

// The trends page's tabs, each as it first shows.
void shootTrends(TForm1* form, const QString& out)
{
    click(form, "Label32");
    QWidget* page = form->currentPage();
    auto* tabs = page ? page->findChild<QTabWidget*>(QStringLiteral("PageControl1")) : nullptr;
    if (!tabs)
        return;
    const char* names[] = {"qushi-worth", "qushi-year", "qushi-summary"};
    for (int i = 0; i < 3; ++i) {
        tabs->setCurrentIndex(i);
        save(form, out, QString::fromLatin1(names[i]));
    }
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallChineseUi(app);
    const QString out
        = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots")).absolutePath();
    QDir().mkpath(out);

    QTemporaryDir tmp;
    const bool big = argc > 2 && QByteArray(argv[2]) == "--200k";
    BuildOptions o;
    o.demo = true;
    o.today = QDate(2012, 5, 20);
    if (big)
        o.records = 200000;
    QString error;
    if (!BuildDatabase(QDir(tmp.path()).filePath(QStringLiteral("fmy.dll")), o, &error)) {
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(error));
        return 1;
    }
    Clock::setFixed(QDateTime(QDate(2012, 5, 20), QTime(14, 3, 7)));
    QDir::setCurrent(tmp.path());
    Tx_Data data;

    LoadSkin(nullptr);
    {
        Tf_login login;
        login.show();
        save(&login, out, QStringLiteral("login"));
    }

    TForm1 form(false);
    form.show();
    if (big) {
        QTest::qWait(200);  // the window's first page is up
        shootTrends(&form, out);
        click(&form, "Label19");  // the category report's chart over twenty years
        if (QWidget* page = form.currentPage()) {
            if (auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("PageControl1")))
                tabs->setCurrentIndex(1);
            if (auto* from = page->findChild<QDateEdit*>(QStringLiteral("DateTimePicker3")))
                from->setDate(QDate(1992, 6, 1));
            click(page, "Button1");
            save(&form, out, QStringLiteral("fenleibaobiao-chart-20years"));
        }
        // Twenty years of expenses exported: the progress window over the page.
        click(&form, "Label6");
        if (QWidget* page = form.currentPage()) {
            if (auto* from = page->findChild<QDateEdit*>(QStringLiteral("DateTimePicker14")))
                from->setDate(QDate(1992, 6, 1));
            if (auto* kind = page->findChild<QComboBox*>(QStringLiteral("ComboBox4")))
                kind->setCurrentIndex(kind->findText(QStringLiteral("支出")));
            click(page, "Button58");
            bool shot = false;
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible() && !shot && p->value() > 0) {
                        shot = true;
                        saveWithPopup(&form, p, out, QStringLiteral("export-progress"));
                    } else if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                        box->accept();  // 导出完成
                    }
            });
            watch.start(200);
            if (auto* grid = page->findChild<DataGrid*>())
                (void)GridOutput::exportTo(*grid, page, SheetFile::Format::Xlsx,
                                           QDir(tmp.path()).filePath(QStringLiteral("all.xlsx")));
        }
        return 0;
    }
    form.Timer1Timer();
    form.OpenPage(Pages::desktop());
    save(&form, out, QStringLiteral("desktop"));

    // Budgets with a yearly amount and carry-over, one this month overspends
    // and one it keeps to.
    if (!Database::shared().exec(QStringLiteral("update s_yushuan set y_year=y_money*12, y_jiezhuan=1 where f_id in "
                                                "(1, 3); update s_yushuan set y_money=1000000 where f_id=2; "
                                                "update s_yushuan set y_money=50000000 where f_id=4")))
        std::fprintf(stderr, "screenshots: %s\n", qPrintable(QString(Database::shared().lastError())));
    form.OpenPage(Pages::desktop());
    save(&form, out, QStringLiteral("desktop-budget"));

    const struct {
        const char* entry;
        const char* file;
    } pages[] = {
        {"Label9", "zhichu"},         {"Label10", "shouru"},         {"Label11", "zhanghu"},
        {"Label16", "zhuanzhang"},    {"Label12", "shouruleibie"},   {"Label13", "zhichuleibie"},
        {"Label15", "jieru"},         {"Label26", "jiechu"},         {"Label18", "liushuibaobiao"},
        {"Label19", "fenleibaobiao"}, {"Label20", "renyuanbaobiao"}, {"Label22", "yushuan"},
        {"Label24", "system"},        {"Label4", "rijiben"},         {"Label5", "wannianli"},
        {"Label6", "dayin"},          {"Label29", "daoru"},
    };
    for (const auto& p : pages) {
        QWidget* before = form.currentPage();
        click(&form, p.entry);
        if (form.currentPage() && form.currentPage() != before)
            save(&form, out, QString::fromLatin1(p.file));
    }

    // The accounts page's chart tab.
    click(&form, "Label11");
    if (QWidget* page = form.currentPage())
        if (auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("PageControl1"))) {
            tabs->setCurrentIndex(1);
            save(&form, out, QStringLiteral("zhanghu-charts"));
        }

    // The transfers page with an account list dropped down in a cell; the
    // list is a window of its own, painted over the page's picture.
    click(&form, "Label16");
    if (QWidget* page = form.currentPage())
        if (auto* grid = page->findChild<QTableView*>(QStringLiteral("DBGridEh7"))) {
            auto* from = page->findChild<QDateEdit*>(QStringLiteral("DateTimePicker1"));
            from->setDate(QDate(2012, 1, 1));
            if (auto* query = page->findChild<QPushButton*>(QStringLiteral("Button41")))
                query->click();
            if (grid->model()->rowCount() > 0) {
                const QModelIndex cell = grid->model()->index(0, 5);
                grid->setCurrentIndex(cell);
                grid->edit(cell);
                if (auto* combo = grid->viewport()->findChild<QComboBox*>()) {
                    combo->showPopup();
                    QTest::qWait(60);
                    saveWithPopup(&form, combo->view()->window(), out, QStringLiteral("zhuanzhang-dropdown"));
                    combo->hidePopup();
                }
                grid->closePersistentEditor(cell);
                // The calendar of the first date box, opened by a click on its arrow.
                {
                    const QPointF arrow(from->width() - 6, from->height() / 2.0);
                    QTest::mouseClick(from, Qt::LeftButton, {}, arrow.toPoint());
                    QTest::qWait(60);
                    if (QWidget* cal = from->calendarWidget(); cal && cal->isVisible()) {
                        saveWithPopup(&form, cal->window(), out, QStringLiteral("zhuanzhang-calendar"));
                        cal->window()->hide();
                    }
                }
                // A whole date typed over a date cell: half-way, then read.
                QApplication::setActiveWindow(&form);
                grid->setFocus();
                const QModelIndex date = grid->model()->index(0, 3);
                grid->setCurrentIndex(date);
                QTest::keyClick(grid, Qt::Key_2);
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("011-1"));
                save(&form, out, QStringLiteral("zhuanzhang-date-typing"));
                QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1-30"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                save(&form, out, QStringLiteral("zhuanzhang-date-typed"));
                // Nothing of the typing is kept: the next page opens unasked.
                if (auto* p = qobject_cast<Page*>(page))
                    p->dropEdits();
            }
        }

    // The expense page with each of its pop-up panels open.
    click(&form, "Label9");
    if (QWidget* page = form.currentPage()) {
        auto* category = page->findChild<QLineEdit*>(QStringLiteral("Edit3"));
        category->setText(QStringLiteral("c"));
        save(&form, out, QStringLiteral("zhichu-picker"));
        category->clear();
        page->findChild<QWidget*>(QStringLiteral("GroupBox5"))->hide();
        page->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("12.5"));
        click(page, "Image7");
        save(&form, out, QStringLiteral("zhichu-calculator"));
        click(page, "Image8");
        if (auto* b = page->findChild<QPushButton*>(QStringLiteral("Button7")))
            b->click();
        page->findChild<QLineEdit*>(QStringLiteral("Edit4"))->setText(QStringLiteral("餐"));
        save(&form, out, QStringLiteral("zhichu-search"));
    }

    // An expense over its category's budget: the notice after the save.
    click(&form, "Label9");
    if (QWidget* page = form.currentPage()) {
        page->findChild<QLineEdit*>(QStringLiteral("Edit3"))->setText(QStringLiteral("日用品"));
        page->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("35.5"));
        QTimer::singleShot(150, [&form, &out] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    saveWithPopup(&form, box, out, QStringLiteral("zhichu-budget-notice"));
                    box->accept();
                }
        });
        click(page, "Button3");
    }

    // The loan pages over the last year (the demo loans are older than the
    // current month), and the budget's comparison tab.
    for (const auto& [entry, file] : {std::pair{"Label15", "jieru-year"}, std::pair{"Label26", "jiechu-year"}}) {
        click(&form, entry);
        QWidget* page = form.currentPage();
        if (!page)
            continue;
        QTest::qWait(80);  // the first listing
        if (auto* from = page->findChild<QDateEdit*>(QStringLiteral("DateTimePicker1")))
            from->setDate(QDate(2011, 5, 20));
        if (auto* query = page->findChild<QPushButton*>(QStringLiteral("Button41")))
            query->click();
        save(&form, out, QString::fromLatin1(file));
    }
    click(&form, "Label22");
    if (QWidget* page = form.currentPage())
        if (auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("PageControl1"))) {
            tabs->setCurrentIndex(1);
            save(&form, out, QStringLiteral("yushuan-compare"));
        }

    // The report pages' chart tabs: the category chart of the last 180 days
    // and of twelve months, the member chart of this year and of twelve months.
    click(&form, "Label19");
    if (QWidget* page = form.currentPage())
        if (auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("PageControl1"))) {
            QTest::qWait(80);  // the first report
            tabs->setCurrentIndex(1);
            if (auto* query = page->findChild<QPushButton*>(QStringLiteral("Button1"))) {
                query->click();
                save(&form, out, QStringLiteral("fenleibaobiao-chart"));
                if (auto* from = page->findChild<QDateEdit*>(QStringLiteral("DateTimePicker3")))
                    from->setDate(QDate(2011, 6, 1));
                if (auto* list = page->findChild<QComboBox*>(QStringLiteral("ComboBox1"))) {
                    list->setCurrentIndex(std::max(0, list->findText(QStringLiteral("交通通讯"))));
                    emit list->activated(list->currentIndex());
                }
                query->click();
                save(&form, out, QStringLiteral("fenleibaobiao-chart-year"));
            }
        }
    click(&form, "Label20");
    if (QWidget* page = form.currentPage())
        if (auto* tabs = page->findChild<QTabWidget*>(QStringLiteral("PageControl1"))) {
            tabs->setCurrentIndex(1);
            save(&form, out, QStringLiteral("renyuanbaobiao-chart"));
            if (auto* from = page->findChild<QDateEdit*>(QStringLiteral("DateTimePicker3")))
                from->setDate(QDate(2011, 6, 1));
            if (auto* refresh = page->findChild<QPushButton*>(QStringLiteral("Button56")))
                refresh->click();
            save(&form, out, QStringLiteral("renyuanbaobiao-chart-year"));
        }

    // The perpetual calendar on three months: a leap month (闰二月 of 2023
    // begins on 22 March), 除夕 and 春节 of 2023, and February 2024.
    click(&form, "Label5");
    if (QWidget* page = form.currentPage())
        if (auto* calendar = page->findChild<TChnCalendar*>(QStringLiteral("ChnCalendar1")))
            for (const auto& [date, file] : {std::pair{QDate(2023, 3, 22), "wannianli-2023-03"},
                                             std::pair{QDate(2023, 1, 21), "wannianli-2023-01"},
                                             std::pair{QDate(2024, 2, 10), "wannianli-2024-02"}}) {
                calendar->SetDateTime(QDateTime(date, QTime(14, 3, 7)));
                save(&form, out, QString::fromLatin1(file));
            }

    // The diary on an earlier entry of the month; the settings page asking
    // whether to clear everything.
    click(&form, "Label4");
    if (QWidget* page = form.currentPage())
        if (auto* grid = page->findChild<QTableView*>(QStringLiteral("DBGridEh1"));
            grid && grid->model()->rowCount() > 1) {
            grid->setCurrentIndex(grid->model()->index(1, 1));
            save(&form, out, QStringLiteral("rijiben-entry"));
        }
    click(&form, "Label24");
    if (QWidget* page = form.currentPage())
        if (auto* box = page->findChild<QWidget*>(QStringLiteral("GroupBox3"))) {
            box->show();
            box->raise();
            save(&form, out, QStringLiteral("system-clear"));
        }

    // The print page listing this year's expenses, and the first printed
    // page of that list (a PDF rendered back to a picture).
    click(&form, "Label6");
    if (QWidget* page = form.currentPage())
        if (auto* grid = page->findChild<DataGrid*>(QStringLiteral("DBGridEh18"))) {
            if (auto* kind = page->findChild<QComboBox*>(QStringLiteral("ComboBox4")))
                kind->setCurrentIndex(1);
            if (auto* query = page->findChild<QPushButton*>(QStringLiteral("Button58")))
                query->click();
            save(&form, out, QStringLiteral("dayin-expenses"));
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
            const QString pdf = QDir(tmp.path()).filePath(QStringLiteral("dayin.pdf"));
            printer.setOutputFileName(pdf);
            // As 打印标题和页码 (on by default) prints it.
            GridOutput::print(
                *grid, printer,
                {QStringLiteral("支出明细 %1 至 2012-05-20 全部用户").arg(QStringLiteral("2012-01-01")), true});
            const QString png = QDir(out).filePath(QStringLiteral("dayin-print"));
            if (QProcess::execute(QStringLiteral("pdftoppm"),
                                  {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                   QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                   QStringLiteral("-singlefile"), pdf, png})
                == 0)
                std::printf("wrote %s.png\n", qPrintable(png));
            else
                std::fprintf(stderr, "screenshots: pdftoppm failed\n");
        }

    // A statement file written beside the database and read on the import
    // page, the lists then set by their texts.
    auto readStatement = [&](QWidget* page, const QString& name, const QByteArray& bytes) {
        const QString csv = QDir(tmp.path()).filePath(name);
        QFile file(csv);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        file.close();
        if (auto* path = page->findChild<QLineEdit*>(QStringLiteral("Edit1")))
            path->setText(csv);
        if (auto* read = page->findChild<QPushButton*>(QStringLiteral("Button2")))
            read->click();
    };
    auto pick = [](QWidget* page, const char* name, const QString& text) {
        if (auto* c = page->findChild<QComboBox*>(QString::fromLatin1(name)))
            c->setCurrentIndex(std::max(0, c->findText(text)));
    };

    // The import page with a wallet statement read and mapped: the preview
    // with new lines, a possible duplicate of a typed record and a line that
    // cannot be read; then the same file imported.
    click(&form, "Label29");
    if (QWidget* page = form.currentPage()) {
        readStatement(page, QStringLiteral("微信支付账单.csv"),
                      "微信支付账单明细\n起始时间：[2012-05-01] 终止时间：[2012-05-20]\n\n"
                      "交易时间,交易类型,交易对方,商品,收/支,金额(元),支付方式,当前状态\n"
                      "2012-05-18 08:15:00,商户消费,楼下早餐店,豆浆油条,支出,¥6.80,零钱,支付成功\n"
                      "2012-05-18 12:30:00,商户消费,公司食堂,午餐,支出,¥40.40,零钱,支付成功\n"
                      "2012-05-18 19:05:00,转账,张三,AA聚餐,收入,¥85.00,零钱,已收钱\n"
                      "2012-05-19 10:20:00,商户消费,联华超市,日用品,支出,\"¥1,268.50\",零钱,支付成功\n"
                      "2012-05-19 16:00:00,商户消费,加油站,加油,支出,¥300.00,零钱,支付成功\n"
                      "2012-05-20 07:55:00,商户消费,楼下早餐店,豆浆油条,支出,¥6.80,零钱,支付成功\n"
                      "2012-05-20 09:00:00,零钱通,零钱通,转入零钱通,不计收支,¥500.00,零钱,已转入\n"
                      "2012-05-20 12:10:00,商户消费,公司食堂,午餐,支出,¥40.40,零钱,支付成功\n");
        pick(page, "DBLookupComboboxEh1", QStringLiteral("现金"));
        pick(page, "DBLookupComboboxEh2", QStringLiteral("早餐"));
        pick(page, "DBLookupComboboxEh3", QStringLiteral("其他收入"));
        save(&form, out, QStringLiteral("daoru-preview"));
        if (auto* import = page->findChild<QPushButton*>(QStringLiteral("Button3"))) {
            // The notice is answered at once: the picture is of the page after it.
            QTimer::singleShot(0, [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* box = qobject_cast<QMessageBox*>(w))
                        box->accept();
            });
            import->click();
            save(&form, out, QStringLiteral("daoru-imported"));
        }
    }

    // A wallet export whose status column is mapped: closed, refunded and
    // unpaid orders shown and left out; 妈妈 logged in pays.
    {
        Query mum(QStringLiteral("select id from s_user where sys_name=:n"));
        mum.bind(":n", QStringLiteral("妈妈"));
        if (mum.fetch() == Query::Fetch::Row)
            LoggedInMemberId = mum.integer(0);
    }
    click(&form, "Label3");
    click(&form, "Label29");
    if (QWidget* page = form.currentPage()) {
        readStatement(
            page, QStringLiteral("支付宝交易明细.csv"),
            "支付宝交易记录明细查询\n账号:[138****6688]\n起始日期:[2012-05-01 00:00:00]    终止日期:[2012-05-20 "
            "23:59:59]\n"
            "---------------------------------交易记录明细列表------------------------------------\n"
            "交易时间,交易分类,交易对方,对方账号,商品说明,收/支,金额,收/付款方式,交易状态,交易订单号,商家订单号,备注,\n"
            "2012-05-15 "
            "08:12:30,餐饮美食,肯德基,kfc***@yum.com,早餐套餐,支出,23.50,余额宝,交易成功,2012051522001101,/,/,\n"
            "2012-05-16 "
            "20:15:02,服饰装扮,某某旗舰店,shop***@163.com,连衣裙,支出,194.90,花呗,交易关闭,2012051622001102,/,/,\n"
            "2012-05-17 "
            "10:00:00,退款,某某旗舰店,shop***@163.com,退款-连衣裙,不计收支,59.00,余额宝,退款成功,2012051722001103,/,/"
            ",\n"
            "2012-05-18 12:30:45,日用百货,联华超市,mart***@qq.com,纸巾,支出,88.00,/,等待付款,2012051822001104,/,/,\n"
            "2012-05-18 18:00:00,转账红包,爸爸,138****0001,/,收入,200.00,余额宝,交易成功,2012051822001105,/,生日红包,\n"
            "2012-05-19 "
            "09:45:00,交通出行,滴滴出行,didi***@didi.com,快车,支出,35.60,余额宝,交易成功,2012051922001106,/,/,\n"
            "2012-05-19 19:20:00,餐饮美食,必胜客,/,晚餐,支出,152.00,花呗,交易成功,2012051922001107,/,/,\n"
            "2012-05-20 11:00:00,数码电器,京东商城,/,耳机,支出,299.00,花呗,已退款(￥20.00),2012052022001108,/,/,\n");
        pick(page, "DBLookupComboboxEh2", QStringLiteral("早餐"));
        pick(page, "DBLookupComboboxEh3", QStringLiteral("其他收入"));
        save(&form, out, QStringLiteral("daoru-status"));
    }
    LoggedInMemberId = 0;

    // The desktop with a long note and large figures; the expense page's
    // chart with a day under one yuan and a day of nothing.
    auto run = [](const QString& sql) {
        if (!Database::shared().exec(sql))
            std::fprintf(stderr, "screenshots: %s\n", qPrintable(Database::shared().lastError()));
    };
    // A file dialog over the program's folder: sizes, types and dates in Chinese.
    {
        QFileDialog dialog(&form, QStringLiteral("选择备份文件"), tmp.path(), QStringLiteral("数据库文件 (*.dll)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.resize(640, 360);
        dialog.show();
        QTest::qWait(300);
        save(&dialog, out, QStringLiteral("file-dialog"));
    }
    // The accounts page of a household with five accounts, one holding an
    // eight-digit sum, and its pies; the two accounts go again afterwards.
    run(QStringLiteral("insert into z_zhanghu (z_name,z_qcje,z_other) values ('支付宝',35602500,'网购和缴费'),"
                       "('定期存款',123456780000,'三年定期，2014年到期')"));
    click(&form, "Label11");
    save(&form, out, QStringLiteral("zhanghu-five"));
    if (auto* tabs = form.currentPage()->findChild<QTabWidget*>(QStringLiteral("PageControl1"))) {
        tabs->setCurrentIndex(1);
        save(&form, out, QStringLiteral("zhanghu-five-charts"));
    }
    click(&form, "Label3");
    run(QStringLiteral("delete from z_zhanghu where z_name in ('支付宝','定期存款')"));
    {
        Query note(QStringLiteral("update sys_sys set daytxt=:t"));
        note.bind(":t", QStringLiteral("今年的目标：每一笔收入和支出都记下来，月底对账，年底看看钱都花到哪里去了；"
                                       "下半年存下一笔旅行基金，再给孩子的学费留出余量，大额支出先商量后再花。"));
        if (!note.exec())
            std::fprintf(stderr, "screenshots: %s\n", qPrintable(note.error()));
    }
    run(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class)"
                       " select id, 987654321000, 1, 1, '2012-05-18', 'S' from s_fenlei where f_name='奖金';"
                       "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class)"
                       " select id, 123456789000, 1, 1, '2012-05-18', 'Z' from s_fenlei where f_name='房租物业'"));
    click(&form, "Label3");
    save(&form, out, QStringLiteral("desktop-long-note"));
    run(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class)"
                       " select id, 5000, 1, 1, '2012-05-21', 'Z' from s_fenlei where f_name='早餐';"
                       "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class)"
                       " select id, 0, 1, 1, '2012-05-22', 'Z' from s_fenlei where f_name='早餐'"));
    click(&form, "Label9");
    save(&form, out, QStringLiteral("zhichu-small-days"));

    // Undo and the recycle bin: two expenses of the day deleted on their
    // page, a category and a member deleted the way their pages do it.
    auto answerBoxes = [](bool yes) {
        QTimer::singleShot(0, [yes] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    if (QAbstractButton* b = box->button(yes ? QMessageBox::Ok : QMessageBox::Cancel))
                        b->click();
                }
        });
    };
    click(&form, "Label9");
    for (int i = 0; i < 2; ++i)
        if (auto* grid = form.currentPage()->findChild<QTableView*>(QStringLiteral("DBGridEh1"));
            grid && grid->model()->rowCount() > 0) {
            grid->setCurrentIndex(grid->model()->index(0, 1));
            emit grid->clicked(grid->currentIndex());
            answerBoxes(true);
            click(form.currentPage(), "Button2");
        }
    {
        const qint64 fruit = [] {
            Query q(QStringLiteral("select id from s_fenlei where f_name='水果零食'"));
            return q.fetch() == Query::Fetch::Row ? q.integer(0) : 0;
        }();
        Query n(QStringLiteral("select count(*) from s_shouru where f_fenleiid=:f"));
        n.bind(":f", fruit);
        const qint64 records = n.fetch() == Query::Fetch::Row ? n.integer(0) : 0;
        if (!fruit
            || !runAction(Database::shared(), QStringLiteral("删除类别“水果零食”及其 %1 笔记录").arg(records),
                          ActionKind::Delete,
                          [&](DbError* e) { return deleteSubCategory(Database::shared(), fruit, e); }))
            std::fprintf(stderr, "screenshots: no category deleted\n");
    }
    // The undo question over the page it would change.
    QTimer::singleShot(50, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                saveWithPopup(&form, box, out, QStringLiteral("undo-question"));
                box->reject();
            }
    });
    click(&form, "Label30");
    click(&form, "Label24");
    click(form.currentPage(), "Button70");
    QTest::qWait(50);
    if (form.currentPage() && form.currentPage()->objectName() == u"f_huishouzhan")
        save(&form, out, QStringLiteral("huishouzhan"));

    // Recurring entries: five plans, one of each kind of rule.
    run(QStringLiteral(
        "insert into p_plan (p_name,p_type,f_id,z_id,z_id2,u_id,p_money,p_varies,p_rule,p_start,p_mode,p_ahead) "
        "select '房租','Z',id,1,null,1,25000000,0,'M|1|0|1|31|0|0','2012-01-31','confirm',3 from s_fenlei where "
        "f_name='房租物业';"
        "insert into p_plan (p_name,p_type,f_id,z_id,z_id2,u_id,p_money,p_varies,p_rule,p_start,p_mode,p_ahead) "
        "select '工资','S',id,2,null,2,120000000,0,'M|1|0|1|0|0|1','2012-01-01','auto',0 from s_fenlei where "
        "f_name='工资';"
        "insert into p_plan (p_name,p_type,f_id,z_id,z_id2,u_id,p_money,p_varies,p_rule,p_start,p_mode,p_ahead) "
        "select '电费','Z',id,1,null,1,null,1,'M|1|0|1|15|0|2','2012-04-01','confirm',0 from s_fenlei where "
        "f_name='日用品';"
        "insert into p_plan (p_name,p_type,f_id,z_id,z_id2,u_id,p_money,p_varies,p_rule,p_start,p_mode,p_ahead) "
        "select '春节红包','Z',id,1,null,1,20000000,0,'L|1|0|1|1|0|0','2012-01-01','confirm',7 from s_fenlei where "
        "f_name='日用品';"
        "insert into p_plan (p_name,p_type,f_id,z_id,z_id2,u_id,p_money,p_varies,p_rule,p_start,p_mode,p_ahead) "
        "values ('定存','T',null,1,2,null,10000000,0,'W|2|1|1|1|0|0','2012-04-02','confirm',0)"));
    click(&form, "Label31");
    if (QWidget* page = form.currentPage(); page && page->objectName() == u"f_zhouqi") {
        save(&form, out, QStringLiteral("zhouqi"));
        // The rule editor over the page, for the first plan.
        if (auto* grid = page->findChild<QTableView*>(QStringLiteral("DBGridEh1")); grid && grid->model()->rowCount()) {
            grid->setCurrentIndex(grid->model()->index(0, 9));
            QTimer::singleShot(80, [&] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible() && d->objectName() == u"f_guize") {
                        saveWithPopup(&form, d, out, QStringLiteral("zhouqi-rule"));
                        d->reject();
                    }
            });
            click(page, "Button4");
        }
    }
    click(&form, "Label3");
    save(&form, out, QStringLiteral("desktop-due"));
    {
        QList<Plan> plans;
        QList<DueOccurrence> due;
        if (readPlans(Database::shared(), &plans) && dueOccurrences(Database::shared(), plans, Clock::today(), &due)) {
            Tf_daichuli dialog(plans, due, &form);
            dialog.show();
            QTest::qWait(30);
            save(&dialog, out, QStringLiteral("daichuli"));
        }
    }
    return 0;
}
