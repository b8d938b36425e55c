// The grid, the models, the look-up box and the chart helpers on a real database.
#include "data/Clock.h"
#include "import/Preview.h"
#include "tests/support/Driver.h"
#include "ui/BatchModel.h"
#include "ui/Charts.h"
#include "ui/ChineseUi.h"
#include "ui/DataGrid.h"
#include "ui/GridOutput.h"
#include "ui/LongWork.h"
#include "ui/LookupCombo.h"
#include "ui/QueryModel.h"
#include "ui/Roles.h"
#include "ui/Skin.h"

#include <QAbstractBarSeries>
#include <QAbstractItemModelTester>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPieSeries>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeView>
#include <QVBoxLayout>
#include <QValidator>

class TstUi : public QObject {
    Q_OBJECT
private slots:
    // A long export shows its progress after half a second; 取消 leaves no
    // file and says so; an export the user waited on over 2 s says it is done.
    void longExportShowsProgress_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled") << true;
        QTest::newRow("waited for") << false;
    }
    void longExportShowsProgress()
    {
        QFETCH(bool, cancel);
        TEST_BEGIN
        // A list whose every row takes a millisecond to read.
        struct Slow : QStandardItemModel {
            using QStandardItemModel::QStandardItemModel;
            QVariant data(const QModelIndex& i, int role) const override
            {
                if (i.column() == 0 && role == Qt::EditRole)
                    QThread::usleep(1000);
                return QStandardItemModel::data(i, role);
            }
        } model(2600, 1);
        for (int r = 0; r < model.rowCount(); ++r)
            model.setItem(r, 0, new QStandardItem(QStringLiteral("第%1行").arg(r)));
        QWidget window;
        DataGrid grid(&window);
        grid.setModel(&model);
        window.show();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.xlsx"));
        BoxAnswerer boxes;
        QStringList labels;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible()) {
                    labels << p->labelText();
                    if (cancel)
                        p->findChild<QPushButton*>()->click();
                }
        });
        watch.start(100);
        const bool written = GridOutput::exportTo(grid, &window, SheetFile::Format::Xlsx, path);
        QCOMPARE(written, !cancel);
        QVERIFY(!labels.isEmpty());
        QCOMPARE(labels.first(), QStringLiteral("正在导出 2,600 行…"));
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].text,
                 cancel ? QStringLiteral("已取消") : QStringLiteral("导出完成：%1（2,600 行）").arg(path));
        QCOMPARE(QFileInfo::exists(path), !cancel);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), cancel ? 0 : 1);
        TEST_END
    }

    // Work that must not stop half-way (a backup's check) runs beside the
    // window: the window keeps handling events, a progress window without
    // 取消 shows after half a second, the work's answer comes back.
    void slowWorkBesideTheWindow()
    {
        TEST_BEGIN
        QWidget window;
        window.show();
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(50);
        QStringList seen;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible() && seen.isEmpty())
                    seen << p->labelText() << QString::number(p->findChildren<QPushButton*>().size());
        });
        watch.start(100);
        QVERIFY(LongWork::inThread(&window, QStringLiteral("正在检查备份…"), [] {
            QThread::msleep(900);
            return true;
        }));
        QVERIFY(!LongWork::inThread(&window, QStringLiteral("x"), [] { return false; }));
        QCOMPARE(seen, (QStringList{QStringLiteral("正在检查备份…"), QStringLiteral("0")}));
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        TEST_END
    }

    void queryModelAndFooter()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        TestDb::sql(
            QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) values "
                           "(10,5000,1,1,'2012-05-01','Z'),(10,0,1,1,'2012-05-02','Z')"));
        QueryModel model;
        DbError error;
        QVERIFY(model.setQuery(
            QStringLiteral(
                "select id as 编号, s_date as 时间, s_jine as 金额 from s_shouru where s_date>=:d order by id"),
            {{":d", QDate(2012, 5, 1)}}, &error));
        model.setColumnFormat(2, QueryModel::Yuan);
        model.setRowNumberColumn(0);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("时间"));
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("1"));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("2"));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("2012-05-01"));
        QCOMPARE(model.index(0, 1).data(Qt::EditRole).toDate(), QDate(2012, 5, 1));
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("￥0.50"));
        QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("￥0.00"));
        QCOMPARE(model.raw(0, 2).value<Money>(), Money::fromRaw(5000));
        QCOMPARE(model.index(0, 0).data(Roles::Value).typeId(), int(QMetaType::LongLong));  // the id under the number
        QCOMPARE(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));

        DataGrid grid;
        grid.setModel(&model);
        grid.setFooterText(0, QStringLiteral("合计:"));
        grid.setFooterSum(2);
        QCOMPARE(grid.property("footerTexts").toStringList(),
                 (QStringList{QStringLiteral("合计:"), QString(), QStringLiteral("￥0.50")}));
        grid.setColumnHidden(1, true);
        QCOMPARE(grid.footerTexts(), (QStringList{QStringLiteral("合计:"), QStringLiteral("￥0.50")}));
        // Row numbers in the header; the footer follows a refresh and says so.
        grid.setRowNumbers(true);
        QVERIFY(grid.verticalHeader()->isVisibleTo(&grid));
        QSignalSpy changed(&grid, &DataGrid::footerTextsChanged);
        TestDb::sql(QStringLiteral("update s_shouru set s_jine=s_jine+10000"));
        QVERIFY(model.refresh());
        QVERIFY(changed.count() >= 1);
        QCOMPARE(grid.footerTexts(), (QStringList{QStringLiteral("合计:"), QStringLiteral("￥2.50")}));
        QVERIFY(model.setQuery(QStringLiteral("select id, s_date, s_jine from s_shouru where 0")));
        QCOMPARE(grid.footerTexts().value(1), QStringLiteral("￥0.00"));
        QVERIFY(!model.setQuery(QStringLiteral("select nothing from nowhere"), {}, &error));
        QVERIFY(error.message().contains(QStringLiteral("nowhere")));
        QCOMPARE(model.rowCount(), 0);
        grid.resize(300, 200);
        grid.show();
        QVERIFY(!grid.grab().isNull());
        TEST_END
    }

    void batchModelWritesAllOrNothing()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        BatchModel m;
        QVERIFY(m.setQuery(QStringLiteral("select id, z_name, z_qcje, z_other from z_zhanghu order by id"), {},
                           QStringLiteral("z_zhanghu"), QStringLiteral("id")));
        int filled = 0;
        m.beforeInsert = [&](QVector<QVariant>& v) {
            v[3] = QStringLiteral("filled");
            if (v[1].toString().isEmpty())
                v[1] = QStringLiteral("空白");
            ++filled;
        };
        QVERIFY(m.setData(m.index(0, 1), QStringLiteral("钱包")));
        QVERIFY(!m.setData(m.index(0, 2), QStringLiteral("12x")));  // not an amount: refused
        QVERIFY(m.setData(m.index(0, 2), QStringLiteral("12.5")));
        const int r = m.appendRow();
        QVERIFY(m.setData(m.index(r, 1), QStringLiteral("新账户")));  // amount left empty
        m.appendRow();                                                // never edited: still passes through the hook
        QVERIFY(m.removeRowAt(2));
        QVERIFY(m.hasPending());
        // Nothing reaches the database before the submit.
        QCOMPARE(TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=1")), QStringLiteral("现金"));
        DbError error;
        QVERIFY2(m.submitAll(&error), qPrintable(error));
        QCOMPARE(filled, 2);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select z_name||z_qcje from z_zhanghu where id=1")),
                 QStringLiteral("钱包125000"));
        QCOMPARE(TestDb::texts(QStringLiteral("select typeof(z_qcje)||z_qcje||z_other from z_zhanghu where z_name in "
                                              "('新账户','空白') order by z_name")),
                 QStringList(2, QStringLiteral("integer0filled")));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from z_zhanghu where id=3")), qint64(0));
        QVERIFY(!m.hasPending());
        QCOMPARE(m.rowCount(), 4);  // re-read, with the new ids
        QVERIFY(m.raw(3, 0).toLongLong() > 0);

        // A refused row takes the whole batch back and keeps it pending.
        BatchModel cats;
        QVERIFY(cats.setQuery(QStringLiteral("select id, f_id, f_class, f_name from s_fenlei where f_id=0"), {},
                              QStringLiteral("s_fenlei"), QStringLiteral("id")));
        QVERIFY(cats.setData(cats.index(0, 3), QStringLiteral("改名")));
        const int dup = cats.appendRow();
        QVERIFY(cats.setData(cats.index(dup, 3), QStringLiteral("早餐")));
        QVERIFY(!cats.submitAll(&error));
        QVERIFY(error.message().contains(QStringLiteral("UNIQUE")));
        QCOMPARE(error.kind(), DbError::Kind::Refused);
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_fenlei where f_name='改名'")), qint64(0));
        QVERIFY(cats.hasPending());
        QCOMPARE(cats.raw(0, 3).toString(), QStringLiteral("改名"));
        cats.revertAll();
        QVERIFY(!cats.hasPending());
        QCOMPARE(cats.raw(0, 3).toString(), QStringLiteral("餐饮"));
        TEST_END
    }

    // Another program may change the table between reading and writing: a
    // row that is gone fails the whole batch instead of passing unnoticed.
    void batchModelRowsGoneMeanwhile()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        const QString accounts = QStringLiteral("select id, z_name from z_zhanghu order by id");
        BatchModel m;
        QVERIFY(m.setQuery(accounts, {}, QStringLiteral("z_zhanghu"), QStringLiteral("id")));
        QVERIFY(m.setData(m.index(0, 1), QStringLiteral("钱包")));
        QVERIFY(m.setData(m.index(2, 1), QStringLiteral("旧卡")));
        TestDb::sql(QStringLiteral("delete from z_zhanghu where id=3"));
        DbError error;
        QVERIFY(!m.submitAll(&error));
        QVERIFY2(error.message().contains(QStringLiteral("z_zhanghu"))
                     && error.message().contains(QStringLiteral("id=3")),
                 qPrintable(error));
        QCOMPARE(error.kind(), DbError::Kind::Vanished);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=1")), QStringLiteral("现金"));
        QVERIFY(m.hasPending());
        QCOMPARE(m.raw(0, 1).toString(), QStringLiteral("钱包"));

        BatchModel d;
        QVERIFY(d.setQuery(accounts, {}, QStringLiteral("z_zhanghu"), QStringLiteral("id")));
        QVERIFY(d.removeRowAt(1));
        QVERIFY(d.removeRowAt(0));
        TestDb::sql(QStringLiteral("delete from z_zhanghu where id=2"));
        QVERIFY(!d.submitAll(&error));
        QVERIFY2(error.message().contains(QStringLiteral("id=2")), qPrintable(error));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from z_zhanghu where id=1")), qint64(1));
        QVERIFY(d.hasPending());

        // An insert whose condition no longer holds (its parent is gone).
        BatchModel cats;
        QVERIFY(cats.setQuery(QStringLiteral("select id, f_id, f_class, f_name from s_fenlei where f_id=1"), {},
                              QStringLiteral("s_fenlei"), QStringLiteral("id")));
        cats.setInsertCondition(QStringLiteral("exists (select 1 from s_fenlei where id=:f_id and f_id=0)"));
        const int r = cats.appendRow();
        QVERIFY(!cats.hasEdits());  // a blank row nobody typed into
        QVERIFY(cats.setData(cats.index(r, 1), qint64(999)));
        QVERIFY(cats.setData(cats.index(r, 3), QStringLiteral("夜宵")));
        QVERIFY(cats.hasEdits());
        QVERIFY(!cats.submitAll(&error));
        QCOMPARE(error.kind(), DbError::Kind::Vanished);
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_fenlei where f_name='夜宵'")), qint64(0));
        QVERIFY(cats.setData(cats.index(r, 1), qint64(1)));
        QVERIFY2(cats.submitAll(&error), qPrintable(error));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select f_id from s_fenlei where f_name='夜宵'")), qint64(1));
        // A cell typed back to what it was is no edit.
        QVERIFY(cats.setData(cats.index(0, 3), QStringLiteral("早点")));
        QVERIFY(cats.setData(cats.index(0, 3), QStringLiteral("早餐")));
        QVERIFY(!cats.hasEdits());
        TEST_END
    }

    void requiredMoneyAndLookupAndCalculated()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        TestDb::sql(QStringLiteral("update z_zhanghu set z_name='现金' where id=2"));  // two accounts share a name
        BatchModel m;
        QVERIFY(m.setQuery(QStringLiteral("select id, zh1, zh2, zdate, zXmoney, other from s_zhanghistory"), {},
                           QStringLiteral("s_zhanghistory"), QStringLiteral("id")));
        QVERIFY(m.setLookup(1, QStringLiteral("select id, z_name from z_zhanghu"), QStringLiteral("id"),
                            QStringLiteral("z_name")));
        QVERIFY(m.setLookup(2, QStringLiteral("select id, z_name from z_zhanghu"), QStringLiteral("id"),
                            QStringLiteral("z_name")));
        m.setRequired(4);
        m.setCalculated(5, [](const QVector<QVariant>& row) {
            return row[4].isValid() ? QVariant(row[4].value<Money>().yuan()) : QVariant();
        });
        const int r = m.appendRow();
        QVERIFY(m.setData(m.index(r, 1), qlonglong(2)));
        QVERIFY(m.setData(m.index(r, 2), qlonglong(3)));
        QVERIFY(m.setData(m.index(r, 3), QStringLiteral("2012-05-01")));
        DbError error;
        QVERIFY(!m.submitAll(&error));  // the amount is required
        QVERIFY(m.setData(m.index(r, 4), QStringLiteral("50")));
        QCOMPARE(m.index(r, 1).data().toString(), QStringLiteral("现金"));
        QCOMPARE(m.index(r, 5).data().toString(), QStringLiteral("￥50.00"));
        QVERIFY(!(m.flags(m.index(r, 5)) & Qt::ItemIsEditable));
        QVERIFY2(m.submitAll(&error), qPrintable(error));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select zh1||'>'||zh2||' '||zXmoney from s_zhanghistory")),
                 QStringLiteral("2>3 500000"));

        // The grid's editor for a look-up column chooses by name, stores the key.
        DataGrid grid;
        grid.setModel(&m);
        grid.setEditTriggers(QAbstractItemView::AllEditTriggers);
        grid.show();
        grid.edit(m.index(0, 1));
        auto* combo = grid.viewport()->findChild<QComboBox*>();
        QVERIFY(combo);
        QCOMPARE(combo->currentData().toLongLong(), 2);  // by key, though two items read 现金
        combo->setCurrentIndex(combo->findData(qlonglong(1)));
        grid.commitPendingEdit();
        QCOMPARE(m.raw(0, 1).toLongLong(), 1);
        TEST_END
    }

    // The transfer grid's layout: stored keys hidden, their names in look-up
    // columns of their own, a date column, a required amount.
    void lookupColumnsOfTheirOwn()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        TestDb::sql(
            QStringLiteral("insert into s_zhanghistory (zh1,zh2,zdate,zXmoney) values (1,2,'2012-05-03',10000)"));
        BatchModel m;
        QVERIFY(m.setQuery(
            QStringLiteral("select id,zh1,zh2,zdate as 转账时间,zXmoney as 转账金额,other as 备注 from s_zhanghistory"),
            {}, QStringLiteral("s_zhanghistory"), QStringLiteral("id")));
        const QString accounts = QStringLiteral("select id,z_name as 账户 from z_zhanghu");
        QVERIFY(m.insertLookupColumn(4, QStringLiteral("转出账户"), QStringLiteral("zh1"), accounts,
                                     QStringLiteral("id"), QStringLiteral("账户")));
        QVERIFY(m.insertLookupColumn(5, QStringLiteral("转入账户"), QStringLiteral("zh2"), accounts,
                                     QStringLiteral("id"), QStringLiteral("账户")));
        m.setRequired(6);
        QStringList titles;
        for (int c = 0; c < m.columnCount(); ++c)
            titles << m.headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles.join(u','), QStringLiteral("id,zh1,zh2,转账时间,转出账户,转入账户,转账金额,备注"));
        const QString first = TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=1"));
        QCOMPARE(m.index(0, 4).data().toString(), first);
        QCOMPARE(m.index(0, 5).data(Qt::EditRole).toLongLong(), 2);
        QCOMPARE(m.index(0, 3).data(Qt::EditRole).toDate(), QDate(2012, 5, 3));
        QCOMPARE(m.index(0, 6).data(Roles::Value).value<Money>(), Money::fromYuan(1));
        m.setColumnFormat(6, QueryModel::Yuan);
        QCOMPARE(m.index(0, 6).data().toString(), QStringLiteral("￥1.00"));
        QCOMPARE(m.index(0, 6).data(Qt::EditRole).toString(), QStringLiteral("1"));

        // Choosing a name stores the key in the hidden column.
        QVERIFY(m.setData(m.index(0, 5), qlonglong(3)));
        QCOMPARE(m.raw(0, 2).toLongLong(), 3);
        QVERIFY(!m.setData(m.index(0, 3), QStringLiteral("2012-13-01")));
        const int r = m.appendRow();
        QVERIFY(m.setData(m.index(r, 4), qlonglong(2)));
        QVERIFY(m.setData(m.index(r, 5), qlonglong(1)));
        QVERIFY(m.setData(m.index(r, 6), QStringLiteral("20")));
        DbError error;
        QVERIFY(!m.submitAll(&error));  // no date: the database refuses, nothing written
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select zh2 from s_zhanghistory")), qint64(2));
        QVERIFY(m.setData(m.index(r, 3), QDate(2012, 5, 4)));
        QVERIFY2(m.submitAll(&error), qPrintable(error));
        QCOMPARE(TestDb::scalarText(QStringLiteral(
                     "select group_concat(zh1||'>'||zh2||' '||zdate||' '||zXmoney, ';') from s_zhanghistory")),
                 QStringLiteral("1>3 2012-05-03 10000;2>1 2012-05-04 200000"));
        QCOMPARE(m.columnCount(), 8);  // the look-up columns outlive the re-read
        QCOMPARE(m.index(1, 4).data().toString(),
                 TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=2")));

        // The grid's editors: a calendar for dates whose shown date is what
        // the cell gets, amounts that refuse letters.
        DataGrid grid;
        grid.setModel(&m);
        grid.setEditTriggers(QAbstractItemView::AllEditTriggers);
        grid.show();
        const int blank = m.appendRow();
        grid.edit(m.index(blank, 3));
        auto* date = grid.viewport()->findChild<QDateEdit*>();
        QVERIFY(date && date->calendarPopup());
        QCOMPARE(date->date(), Clock::today());
        grid.commitPendingEdit();
        QCOMPARE(m.raw(blank, 3).toDate(), Clock::today());
        grid.edit(m.index(blank, 6));
        auto* amount = grid.viewport()->findChild<QLineEdit*>();
        QVERIFY(amount && amount->validator());
        QTest::keyClicks(amount, QStringLiteral("1a2.5"));
        QCOMPARE(amount->text(), QStringLiteral("12.5"));
        grid.commitPendingEdit();
        QCOMPARE(m.raw(blank, 6).value<Money>(), Money::fromRaw(125000));
        TEST_END
    }

    // The skin on a grid; the picture goes to $JIZHANG_UI_SHOTS when set,
    // for a look by eye (the pages themselves: tools/screenshots).
    void skinnedFormPicture()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        QVERIFY(LoadSkin(nullptr));
        QVERIFY(!qApp->styleSheet().isEmpty());
        QWidget form;
        form.resize(560, 380);
        auto* layout = new QVBoxLayout(&form);
        layout->addWidget(new QLineEdit(QStringLiteral("备注文字")));
        QueryModel model;
        QVERIFY(model.setQuery(QStringLiteral(
            "select id as 编号, z_name as 账户名称, z_qcje as 起始金额, z_other as 备注 from z_zhanghu order by id")));
        model.setColumnFormat(2, QueryModel::Yuan);
        auto* grid = new DataGrid;
        grid->setModel(&model);
        grid->setRowNumbers(true);
        grid->setColumnHidden(0, true);
        grid->setColumnWidths({0, 120, 100, 180});
        grid->setRowHeight(25);
        grid->setFooterText(1, QStringLiteral("合计:"));
        grid->setFooterSum(2);
        layout->addWidget(grid);
        form.show();
        grid->setCurrentIndex(model.index(1, 1));
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QImage shot = form.grab().toImage();
        // The current row is sky blue while the grid has no focus.
        const QRect cell = grid->visualRect(model.index(1, 3));
        const QPoint inCell = grid->viewport()->mapTo(&form, cell.center() + QPoint(cell.width() / 3, 0));
        QCOMPARE(shot.pixelColor(inCell), QColor(166, 202, 240));
        // With the focus, the focused cell keeps the selection colour.
        form.activateWindow();
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        const QImage focused = form.grab().toImage();
        const QRect nameCell = grid->visualRect(model.index(1, 1));
        const QPoint inName = grid->viewport()->mapTo(&form, nameCell.center() + QPoint(nameCell.width() / 3, 0));
        QVERIFY(focused.pixelColor(inName) != QColor(166, 202, 240));
        QCOMPARE(focused.pixelColor(inCell), QColor(166, 202, 240));
        if (const QString dir = qEnvironmentVariable("JIZHANG_UI_SHOTS"); !dir.isEmpty()) {
            shot.save(dir + QStringLiteral("/skin-form.png"));
            focused.save(dir + QStringLiteral("/skin-form-focus.png"));
        }
        TEST_END
    }

    void chineseFonts()
    {
        InstallChineseUi(*qApp);
        for (const char* family : {"宋体", "SimSun", "黑体", "SimHei", "Microsoft YaHei"})
            QCOMPARE(QFontInfo(QFont(QString::fromUtf8(family))).family(), QStringLiteral("WenQuanYi Zen Hei"));
    }

    // The file dialogs' detail columns in Chinese, not in the "C" locale of
    // a plain machine ("9 Dec 2026", "1.50 KiB", "bak File", "Folder").
    void chineseFileDialog()
    {
        InstallChineseUi(*qApp);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("备份")));
        QFile file(dir.filePath(QStringLiteral("a.bak")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(1536, 'x')) == 1536);
        file.close();
        QFileDialog dialog(nullptr, QStringLiteral("选择"), dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        QVERIFY(view);
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
        QStringList rows;
        for (int r = 0; r < 2; ++r) {
            QStringList cells;
            for (int c = 0; c < 3; ++c)
                cells << view->model()->index(r, c, view->rootIndex()).data().toString();
            rows << cells.join(u'|');
            QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$"))
                        .match(view->model()->index(r, 3, view->rootIndex()).data().toString())
                        .hasMatch());
        }
        QCOMPARE(rows, (QStringList{QStringLiteral("备份||文件夹"), QStringLiteral("a.bak|1.5 KB|BAK 文件")}));
        for (auto [bytes, text] : {std::pair{qint64(1023), "1023 字节"}, {qint64(5) << 20, "5.0 MB"}})
            QCOMPARE(ChineseFileSize(bytes), QString::fromUtf8(text));
    }

    void lookupComboByKey()
    {
        TEST_BEGIN
        Driver::PageFixture f;
        TestDb::sql(QStringLiteral("update z_zhanghu set z_name='同名' where id in (1,2)"));
        LookupCombo combo;
        QVERIFY(combo.load(QStringLiteral("select * from z_zhanghu order by id desc"), QStringLiteral("id"),
                           QStringLiteral("z_name")));
        QCOMPARE(combo.currentIndex(), -1);
        QVERIFY(!combo.keyValue().isValid());
        QVERIFY(combo.setKeyValue(1));
        QCOMPARE(combo.currentIndex(), 2);
        QVERIFY(combo.setKeyValue(2));
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(combo.currentText(), QStringLiteral("同名"));
        QVERIFY(!combo.setKeyValue(99));
        QCOMPARE(combo.currentIndex(), -1);
        TEST_END
    }

    void chartsKeepTheirValues()
    {
        const QString dir = qEnvironmentVariable("JIZHANG_UI_SHOTS");
        auto save = [&](QChartView* v, const char* name) {
            QTest::qWait(100);  // the chart lays its axes out in the event loop
            if (!dir.isEmpty())
                v->grab().save(dir + u'/' + QString::fromLatin1(name) + QStringLiteral(".png"));
        };
        QWidget host;
        host.resize(320, 200);
        QChartView* view = Charts::makeView(&host, QStringLiteral("c"));
        view->resize(320, 200);
        host.show();
        Charts::setHorizontalBars(view, {QStringLiteral("餐饮"), QStringLiteral("交通"), QStringLiteral("水电煤气")},
                                  {30, 10, 2.5}, QColor(166, 202, 240));
        auto* bars = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
        QVERIFY(bars);
        QVERIFY(bars->isLabelsVisible());
        QCOMPARE(bars->barSets()[0]->at(2), 30.0);  // the first value at the top
        save(view, "hbars");
        Charts::BarOptions o;
        o.logAxis = true;
        o.max = 100;
        QLinearGradient g(0, 0, 0, 1);
        g.setCoordinateMode(QGradient::ObjectMode);
        g.setColorAt(0, QColor(255, 120, 80));
        g.setColorAt(1, QColor(200, 0, 0));
        o.brush = QBrush(g);
        Charts::setBars(view, {QStringLiteral("1月"), QStringLiteral("2月"), QStringLiteral("3月")}, {0, 50, 2000}, o);
        bars = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
        QCOMPARE(bars->barSets()[0]->at(0), 1.0);  // a log axis cannot show 0
        QCOMPARE(bars->barSets()[0]->at(2), 2000.0);
        QCOMPARE(view->property("values").toStringList(),
                 (QStringList{QStringLiteral("0"), QStringLiteral("50"), QStringLiteral("2000")}));
        save(view, "vbars");
        // The horizontal bars' fixed plot area is gone: the month names have room.
        QVERIFY(view->chart()->plotArea().bottom() < view->height() - 10);
        Charts::setPie(view, {QStringLiteral("现金"), QStringLiteral("工资卡")}, {1, 3});
        auto* pie = qobject_cast<QPieSeries*>(view->chart()->series().value(0));
        QVERIFY(pie);
        QCOMPARE(pie->sum(), 4.0);
        QCOMPARE(view->chart()->series().size(), 1);
        save(view, "pie");
    }

    // Qt's model checks over every model a grid shows, through their changes.
    void modelContracts_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("query model") << 0;
        QTest::newRow("batch model") << 1;
        QTest::newRow("import preview") << 2;
    }
    void modelContracts()
    {
        TEST_BEGIN
        QFETCH(int, model);
        Driver::PageFixture f;
        using Mode = QAbstractItemModelTester::FailureReportingMode;
        if (model == 0) {
            QueryModel m;
            QAbstractItemModelTester tester(&m, Mode::QtTest);
            QVERIFY(m.setQuery(QStringLiteral("select id as 编号, f_name as 名称 from s_fenlei order by id")));
            TestDb::sql(QStringLiteral("delete from s_fenlei where id>5"));
            QVERIFY(m.refresh());
            QVERIFY(m.setQuery(QStringLiteral("select id from s_fenlei where 0")));
        } else if (model == 1) {
            BatchModel m;
            QAbstractItemModelTester tester(&m, Mode::QtTest);
            QVERIFY(m.setQuery(QStringLiteral("select id, z_name, z_qcje from z_zhanghu order by id"), {},
                               QStringLiteral("z_zhanghu"), QStringLiteral("id")));
            QVERIFY(m.setData(m.index(0, 1), QStringLiteral("钱包")));
            const int r = m.appendRow();
            QVERIFY(m.setData(m.index(r, 1), QStringLiteral("新账户")));
            QVERIFY(m.removeRowAt(1));
            QVERIFY(m.removeRowAt(r - 1));  // row 1 went before it
            m.revertAll();
            m.appendRow();
            QVERIFY(m.setData(m.index(m.rowCount() - 1, 1), QStringLiteral("另一个")));
            QVERIFY(m.removeRowAt(0));
            QVERIFY(m.submitAll());
            QVERIFY(m.refresh());
        } else {
            PreviewModel m;
            QAbstractItemModelTester tester(&m, Mode::QtTest);
            m.setCategories(
                {{1, QStringLiteral("早餐"), QStringLiteral("Z")}, {2, QStringLiteral("工资"), QStringLiteral("S")}});
            PreviewRow row;
            row.line.date = QDate(2026, 12, 1);
            row.line.amount = Money::fromYuan(5);
            QList<PreviewRow> rows{row, row, row};
            rows[1].status = PreviewRow::Unreadable;
            m.setRows(rows);
            m.toggleImport(0);
            m.applyDefaults(1, 2);
            m.setRows({});
            m.setRows(rows.mid(0, 1));
        }
        TEST_END
    }
};

QTEST_MAIN(TstUi)
#include "tst_ui.moc"
