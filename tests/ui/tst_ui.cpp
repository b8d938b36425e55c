// The grid, the models, the look-up box and the chart helpers on a real database.
#include "tests/support/TestDb.h"
#include "ui/BatchModel.h"
#include "ui/Charts.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"
#include "ui/QueryModel.h"

#include <QBarSet>
#include <QAbstractBarSeries>
#include <QChartView>
#include <QComboBox>
#include <QPieSeries>
#include <QTest>

class TstUi : public QObject {
    Q_OBJECT
private slots:
    void queryModelAndFooter()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) values "
                                   "(10,5000,1,1,'2012-05-01','Z'),(10,0,1,1,'2012-05-02','Z')"));
        QueryModel model;
        QString error;
        QVERIFY(model.setQuery(QStringLiteral("select id as 编号, s_date as 时间, s_jine as 金额 from s_shouru where s_date>=:d order by id"),
                               {{":d", QDate(2012, 5, 1)}}, &error));
        model.setColumnFormat(2, QueryModel::Yuan);
        model.setRowNumberColumn(0);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("时间"));
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("1"));
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("2"));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("2012-05-01"));
        QCOMPARE(model.index(0, 1).data(Qt::EditRole).toDate(), QDate(2012, 5, 1));
        QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("￥.50"));
        QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("￥.00"));
        QCOMPARE(model.raw(0, 2).value<Money>(), Money::fromRaw(5000));

        DataGrid grid;
        grid.setModel(&model);
        grid.setFooterText(0, QStringLiteral("合计:"));
        grid.setFooterSum(2);
        QCOMPARE(grid.property("footerTexts").toStringList(), (QStringList{QStringLiteral("合计:"), QString(), QStringLiteral("￥.50")}));
        grid.setColumnHidden(1, true);
        QCOMPARE(grid.footerTexts(), (QStringList{QStringLiteral("合计:"), QStringLiteral("￥.50")}));
        QVERIFY(model.setQuery(QStringLiteral("select id, s_date, s_jine from s_shouru where 0")));
        QCOMPARE(grid.footerTexts().value(1), QStringLiteral("￥.00"));
        QVERIFY(!model.setQuery(QStringLiteral("select nothing from nowhere"), {}, &error));
        QVERIFY(error.contains(QStringLiteral("nowhere")));
        QCOMPARE(model.rowCount(), 0);
        grid.resize(300, 200);
        grid.show();
        QVERIFY(!grid.grab().isNull());
    }

    void batchModelWritesAllOrNothing()
    {
        TestDb t;
        QVERIFY(t.openShared());
        BatchModel m;
        QVERIFY(m.setQuery(QStringLiteral("select id, z_name, z_qcje, z_other from z_zhanghu order by id"), {},
                           QStringLiteral("z_zhanghu"), QStringLiteral("id")));
        int filled = 0;
        m.beforeInsert = [&](QVector<QVariant>& v) { v[3] = QStringLiteral("filled"); ++filled; };
        QVERIFY(m.setData(m.index(0, 1), QStringLiteral("钱包")));
        QVERIFY(!m.setData(m.index(0, 2), QStringLiteral("12x")));  // not an amount: refused
        QVERIFY(m.setData(m.index(0, 2), QStringLiteral("12.5")));
        const int r = m.appendRow();
        QVERIFY(m.setData(m.index(r, 1), QStringLiteral("新账户")));  // amount left empty
        QVERIFY(m.removeRowAt(2));
        QVERIFY(m.hasPending());
        // Nothing reaches the database before the submit.
        QCOMPARE(TestDb::scalarText(QStringLiteral("select z_name from z_zhanghu where id=1")), QStringLiteral("现金"));
        QString error;
        QVERIFY2(m.submitAll(&error), qPrintable(error));
        QCOMPARE(filled, 1);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select z_name||z_qcje from z_zhanghu where id=1")), QStringLiteral("钱包125000"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select typeof(z_qcje)||z_qcje||z_other from z_zhanghu where z_name='新账户'")),
                 QStringLiteral("integer0filled"));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from z_zhanghu where id=3")), qint64(0));
        QVERIFY(!m.hasPending());
        QCOMPARE(m.rowCount(), 3);  // re-read, with the new id

        // A refused row takes the whole batch back and keeps it pending.
        BatchModel cats;
        QVERIFY(cats.setQuery(QStringLiteral("select id, f_id, f_class, f_name from s_fenlei where f_id=0"), {},
                              QStringLiteral("s_fenlei"), QStringLiteral("id")));
        QVERIFY(cats.setData(cats.index(0, 3), QStringLiteral("改名")));
        const int dup = cats.appendRow();
        QVERIFY(cats.setData(cats.index(dup, 3), QStringLiteral("早餐")));
        QVERIFY(!cats.submitAll(&error));
        QVERIFY(error.contains(QStringLiteral("UNIQUE")));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select count(*) from s_fenlei where f_name='改名'")), qint64(0));
        QVERIFY(cats.hasPending());
        QCOMPARE(cats.raw(0, 3).toString(), QStringLiteral("改名"));
        cats.revertAll();
        QVERIFY(!cats.hasPending());
        QCOMPARE(cats.raw(0, 3).toString(), QStringLiteral("餐饮"));
    }

    void requiredMoneyAndLookupAndCalculated()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("update z_zhanghu set z_name='现金' where id=2"));  // two accounts share a name
        BatchModel m;
        QVERIFY(m.setQuery(QStringLiteral("select id, zh1, zh2, zdate, zXmoney, other from s_zhanghistory"), {},
                           QStringLiteral("s_zhanghistory"), QStringLiteral("id")));
        QVERIFY(m.setLookup(1, QStringLiteral("select id, z_name from z_zhanghu"), QStringLiteral("id"), QStringLiteral("z_name")));
        QVERIFY(m.setLookup(2, QStringLiteral("select id, z_name from z_zhanghu"), QStringLiteral("id"), QStringLiteral("z_name")));
        m.setRequired(4);
        m.setCalculated(5, [](const QVector<QVariant>& row) {
            return row[4].isValid() ? QVariant(row[4].value<Money>().yuan()) : QVariant();
        });
        const int r = m.appendRow();
        QVERIFY(m.setData(m.index(r, 1), qlonglong(2)));
        QVERIFY(m.setData(m.index(r, 2), qlonglong(3)));
        QVERIFY(m.setData(m.index(r, 3), QStringLiteral("2012-05-01")));
        QString error;
        QVERIFY(!m.submitAll(&error));  // the amount is required
        QVERIFY(m.setData(m.index(r, 4), QStringLiteral("50")));
        QCOMPARE(m.index(r, 1).data().toString(), QStringLiteral("现金"));
        QCOMPARE(m.index(r, 5).data().toString(), QStringLiteral("￥50.00"));
        QVERIFY(!(m.flags(m.index(r, 5)) & Qt::ItemIsEditable));
        QVERIFY2(m.submitAll(&error), qPrintable(error));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select zh1||'>'||zh2||' '||zXmoney from s_zhanghistory")), QStringLiteral("2>3 500000"));

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
    }

    void lookupComboByKey()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("update z_zhanghu set z_name='同名' where id in (1,2)"));
        LookupCombo combo;
        QVERIFY(combo.load(QStringLiteral("select * from z_zhanghu order by id desc"), QStringLiteral("id"), QStringLiteral("z_name")));
        QCOMPARE(combo.currentIndex(), -1);
        QVERIFY(!combo.keyValue().isValid());
        QVERIFY(combo.setKeyValue(1));
        QCOMPARE(combo.currentIndex(), 2);
        QVERIFY(combo.setKeyValue(2));
        QCOMPARE(combo.currentIndex(), 1);
        QCOMPARE(combo.currentText(), QStringLiteral("同名"));
        QVERIFY(!combo.setKeyValue(99));
        QCOMPARE(combo.currentIndex(), -1);
    }

    void chartsKeepTheirValues()
    {
        QWidget host;
        QChartView* view = Charts::makeView(&host, QStringLiteral("c"));
        view->resize(300, 150);
        Charts::setHorizontalBars(view, {QStringLiteral("a"), QStringLiteral("b")}, {30, 10}, Qt::blue);
        auto* bars = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->barSets()[0]->at(1), 30.0);  // the first value at the top
        Charts::BarOptions o;
        o.logAxis = true;
        o.max = 100;
        Charts::setBars(view, {QStringLiteral("x"), QStringLiteral("y")}, {0, 50}, o);
        bars = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
        QCOMPARE(bars->barSets()[0]->at(0), 1.0);
        QCOMPARE(view->property("values").toStringList(), (QStringList{QStringLiteral("0"), QStringLiteral("50")}));
        Charts::setPie(view, {QStringLiteral("p"), QStringLiteral("q")}, {1, 3});
        auto* pie = qobject_cast<QPieSeries*>(view->chart()->series().value(0));
        QVERIFY(pie);
        QCOMPARE(pie->sum(), 4.0);
        QCOMPARE(view->chart()->series().size(), 1);
    }
};

QTEST_MAIN(TstUi)
#include "tst_ui.moc"
