// The desktop page: figures, the note, the two rankings.
#include "app/Tf_main.h"
#include "tests/support/Driver.h"

#include <QAbstractBarSeries>
#include <QChartView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Driver;

class TstDesktop : public QObject {
    Q_OBJECT

private slots:
    void desktopFigures()
    {
        TEST_BEGIN
        PageFixture f(QDateTime(QDate(2013, 1, 15), QTime(10, 0)));
        TestDb::sql(QStringLiteral("delete from z_zhanghu; insert into z_zhanghu (id,z_name,z_yue,z_jieru,z_jiechu) "
                                   "values (1,'A',10000000,5000000,2000000);"
                                   "update sys_sys set daytxt='it''s \"ok\"'"));
        const qint64 zc = categoryId(QStringLiteral("早餐"));
        const qint64 gz = categoryId(QStringLiteral("工资"));
        addRecord({.categoryId = zc, .amount = QStringLiteral("12.5"), .date = QDate(2013, 1, 2)});
        addRecord({.categoryId = zc, .amount = QStringLiteral("7.5"), .date = QDate(2012, 12, 31)});
        addRecord({.categoryId = gz,
                   .amount = QStringLiteral("100"),
                   .date = QDate(2012, 12, 1),
                   .cls = QStringLiteral("Z")});  // the tree says income
        addRecord({.categoryId = zc,
                   .amount = QStringLiteral("99"),
                   .date = QDate(2012, 1, 10)});  // January of the year before: not last month
        Tf_main page;
        QCOMPARE(labelText(&page, "La1"), QStringLiteral("1000"));
        QCOMPARE(labelText(&page, "La2"), QStringLiteral("200"));
        QCOMPARE(labelText(&page, "La3"), QStringLiteral("1200"));
        QCOMPARE(labelText(&page, "La4"), QStringLiteral("500"));
        QCOMPARE(labelText(&page, "La5"), QStringLiteral("700"));
        QCOMPARE(labelText(&page, "La6"), QString());  // no income this month
        QCOMPARE(labelText(&page, "La7"), QStringLiteral("12.5"));
        QCOMPARE(labelText(&page, "La8"), QStringLiteral("100"));
        QCOMPARE(labelText(&page, "La9"), QStringLiteral("7.5"));
        QCOMPARE(labelText(&page, "Label2"), QStringLiteral("it's \"ok\""));

        // No accounts: empty sums, the derived figures read them as 0.
        TestDb::sql(QStringLiteral("delete from z_zhanghu"));
        Tf_main empty;
        QCOMPARE(labelText(&empty, "La1"), QString());
        QCOMPARE(labelText(&empty, "La3"), QStringLiteral("0"));
        QCOMPARE(labelText(&empty, "La5"), QStringLiteral("0"));
        TEST_END
    }

    void desktopNoteEditor()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_main page;
        page.show();
        clickLabel(&page, "Label1");
        auto* edit = find<QLineEdit>(&page, "Edit6");
        QVERIFY(edit->isVisible());
        edit->setText(QStringLiteral("draft"));
        click(&page, "Button52");
        QVERIFY(!edit->isVisible());
        QVERIFY(labelText(&page, "Label2") != u"draft");
        clickLabel(&page, "Label1");
        // The stored note again, not the cancelled draft.
        QCOMPARE(edit->text(), TestDb::scalarText(QStringLiteral("select daytxt from sys_sys")));
        edit->setText(QStringLiteral("O'Brien's \"budget\" 100%"));
        click(&page, "Button57");
        QCOMPARE(labelText(&page, "Label2"), QStringLiteral("O'Brien's \"budget\" 100%"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select daytxt from sys_sys")),
                 QStringLiteral("O'Brien's \"budget\" 100%"));
        TEST_END
    }

    void noteIsPlainTextElidedAndKeyboardDriven()
    {
        TEST_BEGIN
        PageFixture f;
        const QString markup = QStringLiteral("a<b 与 c>d <i>x</i>");
        TestDb::sql(QStringLiteral("update sys_sys set daytxt='%1'").arg(markup));
        Tf_main page;
        page.show();
        auto* note = find<QLabel>(&page, "Label2");
        QCOMPARE(note->text(), markup);
        QCOMPARE(note->textFormat(), Qt::PlainText);
        QVERIFY(note->toolTip().isEmpty());
        // A long note: cut with "…", whole in the tool tip, whole in the editor.
        const QString longNote = QString(200, u'长') + QStringLiteral("尾");
        clickLabel(&page, "Label1");
        auto* edit = find<QLineEdit>(&page, "Edit6");
        edit->setText(longNote);
        QTest::keyClick(edit, Qt::Key_Return);  // Enter saves
        QVERIFY(!edit->isVisible());
        QCOMPARE(TestDb::scalarText(QStringLiteral("select daytxt from sys_sys")), longNote);
        QVERIFY(note->text().endsWith(u'…'));
        QVERIFY(note->text().size() < longNote.size());
        QCOMPARE(note->toolTip(), longNote);
        clickLabel(&page, "Label1");
        QCOMPARE(edit->text(), longNote);
        edit->setText(QStringLiteral("changed"));
        QTest::keyClick(edit, Qt::Key_Escape);  // Escape cancels
        QVERIFY(!edit->isVisible());
        QCOMPARE(TestDb::scalarText(QStringLiteral("select daytxt from sys_sys")), longNote);
        Tf_main again;  // a new visit: the tool tip from the stored note
        QCOMPARE(find<QLabel>(&again, "Label2")->toolTip(), longNote);
        TEST_END
    }

    void marksWithoutExponents()
    {
        TEST_BEGIN
        PageFixture f;
        const QStringList amounts{QStringLiteral("99999999.99"), QStringLiteral("12345678.9"),
                                  QStringLiteral("1234.567"), QStringLiteral("100"), QStringLiteral("0.01")};
        const QStringList marks{QStringLiteral("99999999.99"), QStringLiteral("12345678.9"), QStringLiteral("1234.57"),
                                QStringLiteral("100"), QStringLiteral("0.01")};
        for (int i = 0; i < amounts.size(); ++i)
            addRecord(
                {.categoryId = addCategory(QStringLiteral("类%1").arg(i), QStringLiteral("Z"), QStringLiteral("餐饮")),
                 .amount = amounts[i],
                 .date = QDate(2012, 5, 1)});
        TestDb::sql(QStringLiteral("update z_zhanghu set z_yue=999999999900 where id=1"));
        Tf_main page;
        auto* series = qobject_cast<QAbstractBarSeries*>(find<QChartView>(&page, "Chart1")->chart()->series().value(0));
        QVERIFY(series);
        QCOMPARE(series->labelsFormat(), QStringLiteral("@value"));
        // The mark is the value written with the series' precision.
        QStringList shown;
        for (qreal v : barValues(&page, "Chart1"))
            shown << QString::number(v, 'g', series->labelsPrecision());
        QCOMPARE(shown, marks);
        QVERIFY(!labelText(&page, "La1").contains(u'e'));
        TEST_END
    }

    void rankingsShowFiveBars()
    {
        TEST_BEGIN
        PageFixture f;
        for (int i = 0; i < 7; ++i)
            addRecord(
                {.categoryId = addCategory(QStringLiteral("类%1").arg(i), QStringLiteral("Z"), QStringLiteral("餐饮")),
                 .amount = QString::number(70 - i * 10),
                 .date = QDate(2012, 5, 1)});
        Tf_main page;
        QCOMPARE(barValues(&page, "Chart1"), (QList<qreal>{70, 60, 50, 40, 30}));
        TEST_END
    }

    // 本月预算 over the categories with a monthly amount: records are
    // "category amount date"; no lines: no panel.
    void monthBudgetPanel_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("budget");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("box");
        const QString onlyMeals = QStringLiteral("update s_yushuan set y_money=0 where f_id<>1;");
        QTest::newRow("part spent")
            << QDate(2012, 5, 10)
            << QStringLiteral("update s_yushuan set y_money=0 where f_id>3; update s_yushuan set y_money=20000000 "
                              "where f_id=3; update s_yushuan set y_money=0 where f_id=2")
            << QStringList{"午餐 3000 2012-05-02", "打车 760 2012-05-09", "日用品 100 2012-05-03",
                           "午餐 900 2012-04-30"}
            << QStringList{"本月预算 ￥3,500.00，已用 ￥3,760.00", "已超支 ￥260.00"} << QString();
        QTest::newRow("left per day, today included")
            << QDate(2012, 5, 10) << onlyMeals + "update s_yushuan set y_money=50000000 where f_id=1"
            << QStringList{"午餐 3760 2012-05-02"}
            << QStringList{"本月预算 ￥5,000.00，已用 ￥3,760.00", "剩余 ￥1,240.00，日均可用 ￥56.36"} << QString();
        QTest::newRow("carry-over in the last day of March")
            << QDate(2012, 3, 31) << onlyMeals + "update s_yushuan set y_money=10000000, y_jiezhuan=1 where f_id=1"
            << QStringList{"午餐 500 2012-01-10", "午餐 1300 2012-02-10", "午餐 1000 2012-03-10"}
            << QStringList{"本月预算 ￥1,200.00，已用 ￥1,000.00", "剩余 ￥200.00，日均可用 ￥200.00"} << QString();
        QTest::newRow("no monthly amount")
            << QDate(2012, 5, 10) << QStringLiteral("update s_yushuan set y_money=0, y_year=10000000")
            << QStringList{"午餐 10 2012-05-02"} << QStringList() << QString();
        QTest::newRow("a failing read") << QDate(2012, 5, 10) << QStringLiteral("drop table h_yue") << QStringList()
                                        << QStringList() << QStringLiteral("h_yue");
    }

    void monthBudgetPanel()
    {
        QFETCH(QDate, today);
        QFETCH(QString, budget);
        QFETCH(QStringList, records);
        QFETCH(QStringList, lines);
        QFETCH(QString, box);
        TEST_BEGIN
        PageFixture f(QDateTime(today, QTime(10, 0)));
        TestDb::sql(budget);
        for (const QString& r : records) {
            const QStringList p = r.split(u' ');
            addRecord({.categoryId = categoryId(p[0]), .amount = p[1], .date = QDate::fromString(p[2], Qt::ISODate)});
        }
        Tf_main page;
        page.show();
        QCOMPARE(find<QWidget>(&page, "Panel2")->isVisible(), !lines.isEmpty());
        if (!lines.isEmpty()) {
            QCOMPARE((QStringList{labelText(&page, "Label41"), labelText(&page, "Label42")}), lines);
            const bool over = lines[1].startsWith(u"已超支");
            QCOMPARE(find<QLabel>(&page, "Label42")->palette().color(QPalette::WindowText) == Qt::red, over);
        }
        QCOMPARE(f.boxes.texts().join(u'|').contains(box), true);
        QCOMPARE(f.boxes.seen.isEmpty(), box.isEmpty());
        TEST_END
    }

    void desktopRankings()
    {
        TEST_BEGIN
        PageFixture f;
        {
            Tf_main none;  // no records at all: empty charts
            QVERIFY(barValues(&none, "Chart1").isEmpty());
            QVERIFY(barValues(&none, "Chart2").isEmpty());
        }
        const char* amounts[] = {"50", "40", "30", "20", "10", "10"};
        for (int i = 0; i < 6; ++i)
            addRecord(
                {.categoryId = addCategory(QStringLiteral("类%1").arg(i), QStringLiteral("Z"), QStringLiteral("餐饮")),
                 .amount = QString::fromLatin1(amounts[i]),
                 .date = QDate(2012, 5, 1)});
        for (int i = 0; i < 3; ++i)
            addRecord({.categoryId
                       = addCategory(QStringLiteral("入%1").arg(i), QStringLiteral("S"), QStringLiteral("职业收入")),
                       .amount = QStringLiteral("5"),
                       .date = QDate(2012, 5, 1)});
        // The records of a member that no longer exists do not count.
        TestDb::sql(QStringLiteral("insert into s_user (id,sys_name) values (9,'x');"
                                   "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                   "select id, 9990000, 9, 1, '2012-05-01', 'Z' from s_fenlei where f_name='类5';"
                                   "delete from s_user where id=9"));
        Tf_main page;
        QCOMPARE(barValues(&page, "Chart1"), (QList<qreal>{50, 40, 30, 20, 10, 10}));
        QCOMPARE(barLabels(&page, "Chart1").mid(0, 4), (QStringList{QStringLiteral("类0"), QStringLiteral("类1"),
                                                                    QStringLiteral("类2"), QStringLiteral("类3")}));
        QCOMPARE(barValues(&page, "Chart2"), (QList<qreal>{5, 5, 5}));
        TEST_END
    }
};

QTEST_MAIN(TstDesktop)
#include "tst_desktop.moc"
