// Recurring plans in the real file: what is due (catch-up, 提前提醒天数, end
// by date and count), and posting exactly once — two copies of the program,
// the clock set back, a skip that holds, undo that makes them due again.
#include "accounts/Tf_zhuanzhang.h"
#include "app/TForm1.h"
#include "app/Tf_main.h"
#include "data/Clock.h"
#include "data/Journal.h"
#include "data/Tx_Data.h"
#include "ledger/Tf_zhichu.h"
#include "recurring/Plans.h"
#include "recurring/Tf_daichuli.h"
#include "recurring/Tf_zhouqi.h"
#include "tests/support/Child.h"
#include "tests/support/Driver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>

#include <QTimer>
#include <memory>

using namespace Driver;

namespace {

// A plan row as the plans page writes it; its id.
qint64 addPlan(const QString& name, const QString& type, const QString& rule, const QDate& start,
               const QString& amount = QStringLiteral("100"), int ahead = 0, const QDate& end = {}, int count = 0)
{
    Query q(QStringLiteral("insert into p_plan (p_name, p_type, f_id, z_id, z_id2, u_id, p_money, p_varies, p_rule, "
                           "p_start, p_end, p_count, p_mode, p_ahead) values (:n, :t, :f, 1, 2, 1, :m, :v, :r, :s, "
                           ":e, :c, 'confirm', :a)"));
    const auto money = Money::parse(amount);
    q.bind(":n", name)
        .bind(":t", type)
        .bind(":f", categoryId(type == u"S" ? QStringLiteral("工资") : QStringLiteral("房租物业")))
        .bind(":v", money ? 0 : 1)
        .bind(":r", rule)
        .bind(":s", start)
        .bind(":e", end)
        .bind(":a", ahead);
    if (money)
        q.bind(":m", *money);
    else
        q.bindValue(":m", QVariant());
    if (count)
        q.bind(":c", count);
    else
        q.bindValue(":c", QVariant());
    if (!q.exec())
        QTest::qFail(qPrintable(q.error().message()), __FILE__, __LINE__);
    return Database::shared().lastInsertId();
}

QList<DueOccurrence> due(Database& db = Database::shared())
{
    QList<Plan> plans;
    QList<DueOccurrence> out;
    if (!readPlans(db, &plans) || !dueOccurrences(db, plans, Clock::today(), &out))
        QTest::qFail("due list not read", __FILE__, __LINE__);
    return out;
}

// Every due occurrence posted at the plan's amount (or `amount`).
bool postAll(Database& db, const QList<DueOccurrence>& list, int* posted, const QString& amount = QString())
{
    QList<Plan> plans;
    if (!readPlans(db, &plans))
        return false;
    QList<Handling> h;
    for (const DueOccurrence& d : list)
        for (const Plan& p : plans)
            if (p.id == d.plan)
                h.append({d, true, amount.isEmpty() ? p.amount.value_or(Money()) : *Money::parse(amount)});
    DbError e;
    const bool ok = handleOccurrences(db, plans, h, &e, posted);
    if (!ok)
        qWarning("%s", qPrintable(e.message()));
    return ok;
}

QStringList dates(const QList<DueOccurrence>& list)
{
    QStringList out;
    for (const DueOccurrence& d : list)
        out << dateText(d.occurrence) + (d.recordDate != d.occurrence ? u'>' + dateText(d.recordDate) : QString());
    return out;
}

// The child of the kill test: the file in folder args[0], every due
// occurrence posted in one batch; START before, END after.
int postRole(const QStringList& args)
{
    int argc = 1;
    char argv0[] = "post";
    char* argv[] = {argv0, nullptr};
    QApplication app(argc, argv);
    QDir::setCurrent(args.value(0));
    Clock::setFixed(PageFixture::defaultNow());
    Tx_Data data;
    const QList<DueOccurrence> list = due();
    Child::report("START");
    QElapsedTimer t;
    t.start();
    int posted = 0;
    if (!postAll(Database::shared(), list, &posted))
        return 4;
    Child::report(QStringLiteral("END %1").arg(t.elapsed()));
    return app.exec();
}

}  // namespace

class TstPlans : public QObject {
    Q_OBJECT
private slots:
    // Today is 2012-05-20, a Sunday.
    void whatIsDue_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<int>("ahead");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("weekly, unopened for 45 days: each on its own date")
            << "W|1|8|1|1|0|0" << QDate(2012, 4, 5) << 0 << QDate() << 0
            << QStringList{"2012-04-05", "2012-04-12", "2012-04-19", "2012-04-26",
                           "2012-05-03", "2012-05-10", "2012-05-17"};
        QTest::newRow("three days ahead")
            << "M|1|0|1|22|0|0" << QDate(2012, 4, 22) << 3 << QDate() << 0 << QStringList{"2012-04-22", "2012-05-22"};
        QTest::newRow("ended by date") << "M|1|0|1|1|0|0" << QDate(2012, 1, 1) << 0 << QDate(2012, 2, 15) << 0
                                       << QStringList{"2012-01-01", "2012-02-01"};
        QTest::newRow("ended by count") << "M|1|0|1|1|0|0" << QDate(2012, 1, 1) << 0 << QDate() << 2
                                        << QStringList{"2012-01-01", "2012-02-01"};
        QTest::newRow("weekend shifted to Monday, keyed by the occurrence")
            << "M|1|0|1|19|0|2" << QDate(2012, 5, 1) << 0 << QDate() << 0 << QStringList{"2012-05-19>2012-05-21"};
        QTest::newRow("not begun") << "M|1|0|1|1|0|0" << QDate(2012, 6, 1) << 0 << QDate() << 0 << QStringList();
    }
    void whatIsDue()
    {
        QFETCH(QString, rule);
        QFETCH(QDate, start);
        QFETCH(int, ahead);
        QFETCH(QDate, end);
        QFETCH(int, count);
        QFETCH(QStringList, expected);
        TEST_BEGIN
        PageFixture f;
        Tx_Data startUp(Database::shared());
        addPlan(QStringLiteral("计划"), QStringLiteral("Z"), rule, start, QStringLiteral("100"), ahead, end, count);
        QCOMPARE(dates(due()), expected);
        TEST_END
    }

    // Posted once whatever happens after: a second copy with the same list,
    // the clock set back; a skip holds; undo makes them due again.
    void postedExactlyOnce()
    {
        TEST_BEGIN
        PageFixture f;
        Tx_Data startUp(Database::shared());
        const qint64 rent
            = addPlan(QStringLiteral("房租"), QStringLiteral("Z"), QStringLiteral("W|1|8|1|1|0|0"), QDate(2012, 4, 5));
        addPlan(QStringLiteral("存钱"), QStringLiteral("T"), QStringLiteral("M|1|0|1|0|0|0"), QDate(2012, 3, 1),
                QStringLiteral("500"));
        const QList<DueOccurrence> list = due();
        QCOMPARE(list.size(), 9);  // 7 Thursdays, 31 March and 30 April
        Database other;            // a second copy of the program on the same file
        QVERIFY(other.open(f.db.path(), QByteArray(kDatabasePassword)));
        const QList<DueOccurrence> otherList = due(other);
        int posted = 0;
        QVERIFY(postAll(Database::shared(), list, &posted));
        QCOMPARE(posted, 9);
        QVERIFY(postAll(other, otherList, &posted));
        QCOMPARE(posted, 0);
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru where s_other='房租'")), qint64(7));
        QCOMPARE(TestDb::texts(QStringLiteral("select zdate from s_zhanghistory where zXmoney=5000000 order by zdate")),
                 (QStringList{"2012-03-31", "2012-04-30"}));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select z_zhichu from z_zhanghu where id=1")), qint64(7 * 1000000));
        f.setNow(PageFixture::defaultNow().addDays(-10));
        QCOMPARE(due().size(), 0);
        f.setNow(PageFixture::defaultNow().addDays(4));  // Thursday 24 May
        QList<Plan> plans;
        QVERIFY(readPlans(Database::shared(), &plans));
        QVERIFY(handleOccurrences(Database::shared(), plans, {{due().value(0), false, Money()}}));
        QCOMPARE(due().size(), 0);  // the skip holds
        QCOMPARE(TestDb::scalarText(QStringLiteral("select d_state from p_done where o_date='2012-05-24'")),
                 QStringLiteral("skipped"));
        DbError e;
        QVERIFY(undoLatest(Database::shared(), &e));  // the skip
        QVERIFY(undoLatest(Database::shared(), &e));  // the posting
        QCOMPARE(due().size(), 10);
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru where s_other='房租'")), qint64(0));
        // An amount left empty is refused whole.
        QVERIFY(!postAll(Database::shared(), due(), &posted, QStringLiteral("0")));
        QCOMPARE(TestDb::count(QStringLiteral("p_done")), qint64(0));
        QCOMPARE(TestDb::count(QStringLiteral("p_done where p_id=%1").arg(rent)), qint64(0));
        TEST_END
    }
    // The due dialog: every due row, a plan's long catch-up folded and opened,
    // an amount that varies asked for, 全部跳过 / 全部入账, 确定 writes.
    void dueDialog()
    {
        TEST_BEGIN
        PageFixture f;
        Tx_Data startUp(Database::shared());
        addPlan(QStringLiteral("牛奶"), QStringLiteral("Z"), QStringLiteral("D|1|0|1|1|0|0"), QDate(2012, 4, 21),
                QStringLiteral("3.5"));  // 30 days
        addPlan(QStringLiteral("电费"), QStringLiteral("Z"), QStringLiteral("M|1|0|1|15|0|0"), QDate(2012, 5, 15),
                QString());  // its amount varies
        addPlan(QStringLiteral("体检"), QStringLiteral("Z"), QStringLiteral("Y|1|0|5|1|0|0"), QDate(2012, 1, 1));
        TestDb::sql(QStringLiteral("update p_plan set p_mode='remind' where p_name='体检'"));  // never posts
        QList<Plan> plans;
        QVERIFY(readPlans(Database::shared(), &plans));
        Tf_daichuli dialog(plans, due());
        dialog.show();
        QCOMPARE(rowCount(&dialog, "DBGridEh1"), Tf_daichuli::kFoldAfter + 3);
        QCOMPARE(cell(&dialog, "DBGridEh1", Tf_daichuli::kFoldAfter, Tf_daichuli::ColDate),
                 QStringLiteral("另有 6 期（双击展开）"));
        pressCell(&dialog, "DBGridEh1", Tf_daichuli::kFoldAfter, 0);
        auto* view = find<QAbstractItemView>(&dialog, "DBGridEh1");
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                           view->visualRect(view->model()->index(Tf_daichuli::kFoldAfter, 0)).center());
        QCOMPARE(rowCount(&dialog, "DBGridEh1"), 32);
        QCOMPARE(cell(&dialog, "DBGridEh1", 30, Tf_daichuli::ColAmount), QString());
        QCOMPARE(cell(&dialog, "DBGridEh1", 31, Tf_daichuli::ColChoice), QStringLiteral("推迟"));
        QCOMPARE(f.boxesAfterClick(&dialog, "Button3"), QStringList{QStringLiteral("请填写“电费”2012-05-15的金额")});
        QCOMPARE(TestDb::count(QStringLiteral("p_done")), qint64(0));
        click(&dialog, "Button2");
        QCOMPARE(column(&dialog, "DBGridEh1", Tf_daichuli::ColChoice).count(QStringLiteral("跳过")), 32);
        click(&dialog, "Button1");
        QCOMPARE(cell(&dialog, "DBGridEh1", 31, Tf_daichuli::ColChoice), QStringLiteral("推迟"));
        editCell(&dialog, "DBGridEh1", 30, Tf_daichuli::ColAmount, QStringLiteral("86.4"));
        editCell(&dialog, "DBGridEh1", 29, Tf_daichuli::ColChoice, int(Tf_daichuli::Later));
        click(&dialog, "Button3");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(TestDb::count(QStringLiteral("s_shouru where s_other='牛奶'")), qint64(29));
        QCOMPARE(TestDb::scalarInt(QStringLiteral("select s_jine from s_shouru where s_other='电费'")), qint64(864000));
        QCOMPARE(dates(due()), (QStringList{"2012-05-20", "2012-05-01"}));  // the postponed ones come back
        TEST_END
    }
    // 周期账单 in the header opens the plans; a new plan is checked, its
    // rule set in the rule editor, saved; the desktop then counts it due.
    void plansPageAndDesktopPanel()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        form.show();
        QTest::qWait(20);
        auto* entry = find<QWidget>(&form, "Label31");
        QCOMPARE(entry->font(), find<QWidget>(&form, "Label29")->font());
        QVERIFY(entry->geometry().right() < find<QWidget>(&form, "Label30")->x());
        QVERIFY(form.children().indexOf(entry) > form.children().indexOf(find<QWidget>(&form, "Label30")));
        clickLabel(&form, "Label3");
        QVERIFY(!find<QWidget>(form.currentPage(), "Label40")->isVisible());
        clickLabel(&form, "Label31");
        QWidget* page = form.currentPage();
        QCOMPARE(page->objectName(), QStringLiteral("f_zhouqi"));
        click(page, "Button1");
        editCell(page, "DBGridEh1", 0, Tf_zhouqi::ColName, QStringLiteral("压岁钱"));
        QCOMPARE(cell(page, "DBGridEh1", 0, Tf_zhouqi::ColRuleText), QStringLiteral("每月20日"));
        f.boxes.clear();
        click(page, "Button3");
        QCOMPARE(f.boxes.texts().last(), QStringLiteral("对不起，请填写第1行的类别"));
        editCell(page, "DBGridEh1", 0, Tf_zhouqi::ColCategory, categoryId(QStringLiteral("早餐")));
        editCell(page, "DBGridEh1", 0, Tf_zhouqi::ColAccount, 1);
        editCell(page, "DBGridEh1", 0, Tf_zhouqi::ColAmount, QStringLiteral("200"));
        editCell(page, "DBGridEh1", 0, Tf_zhouqi::ColStart, QDate(2012, 1, 1));
        QTimer::singleShot(50, [&] {
            auto* editor = page->findChild<QDialog*>(QStringLiteral("f_guize"));
            if (!editor)
                return;
            find<QComboBox>(editor, "ComboBox1")->setCurrentIndex(int(Recurrence::Unit::LunarYear));
            find<QComboBox>(editor, "ComboBox2")->setCurrentIndex(0);
            find<QComboBox>(editor, "ComboBox3")->setCurrentIndex(0);
            click(editor, "Button1");
        });
        click(page, "Button4");
        QCOMPARE(cell(page, "DBGridEh1", 0, Tf_zhouqi::ColRuleText), QStringLiteral("每年农历正月初一"));
        click(page, "Button3");
        QCOMPARE(TestDb::scalarText(QStringLiteral("select p_rule||' '||p_start from p_plan")),
                 QStringLiteral("L|1|0|1|1|0|0 2012-01-01"));
        QCOMPARE(cell(page, "DBGridEh1", 0, Tf_zhouqi::ColState), QStringLiteral("进行中"));
        clickLabel(&form, "Label3");
        QCOMPARE(labelText(form.currentPage(), "Label40"), QStringLiteral("待处理周期账单 1 笔"));  // 2012-01-23
        QVERIFY(find<QWidget>(form.currentPage(), "Label40")->isVisible());
        TEST_END
    }

    // Deleting a record a plan posted: its occurrence skipped for good, due
    // again, or (取消) nothing deleted.
    void deletingAPostedRecord_data()
    {
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("state");  // of the occurrence afterwards; empty: due again
        QTest::addColumn<int>("left");       // records or transfers left
        for (const bool transfer : {false, true}) {
            const char* what = transfer ? "transfer" : "record";
            QTest::addRow("%s 标记本期为跳过", what) << transfer << int(QMessageBox::Yes) << "skipped" << 0;
            QTest::addRow("%s 恢复为待入账", what) << transfer << int(QMessageBox::No) << "" << 0;
            QTest::addRow("%s 取消", what) << transfer << int(QMessageBox::Cancel) << "posted" << 1;
        }
    }
    void deletingAPostedRecord()
    {
        QFETCH(bool, transfer);
        QFETCH(int, answer);
        QFETCH(QString, state);
        QFETCH(int, left);
        TEST_BEGIN
        PageFixture f;
        Tx_Data startUp(Database::shared());
        addPlan(QStringLiteral("房租"), transfer ? QStringLiteral("T") : QStringLiteral("Z"),
                QStringLiteral("M|1|0|1|20|0|0"), QDate(2012, 5, 20));
        int posted = 0;
        QVERIFY(postAll(Database::shared(), due(), &posted));
        QCOMPARE(posted, 1);
        std::unique_ptr<QWidget> page(transfer ? static_cast<QWidget*>(new Tf_zhuanzhang) : new Tf_zhichu);
        page->show();
        const char* grid = transfer ? "DBGridEh7" : "DBGridEh1";
        clickRow(page.get(), grid, 0);
        f.boxes.clear();
        f.boxes.setAnswer(QMessageBox::StandardButton(answer));
        click(page.get(), transfer ? "Button39" : "Button2");
        QCOMPARE(f.boxes.texts(),
                 QStringList{QStringLiteral("该笔来自周期账单「房租」：标记本期为跳过 / 恢复为待入账")});
        QCOMPARE(f.boxes.seen[0].icon, QMessageBox::Question);
        QCOMPARE(TestDb::count(transfer ? QStringLiteral("s_zhanghistory where other='房租'")
                                        : QStringLiteral("s_shouru where s_other='房租'")),
                 qint64(left));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select d_state from p_done")), state);
        QCOMPARE(due().size(), state.isEmpty() ? 1 : 0);
        TEST_END
    }

    // An edit of a plan with five months posted: 仅本期 changes June alone,
    // 本期及以后 June on, 全部未入账 every month not posted; the posted
    // months stay, and no month is lost or doubled at the seam.
    void editScopes_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("amounts");  // June to August, as posted at 20 August
        QTest::newRow("仅本期") << int(QMessageBox::Yes) << QStringList{"150", "100", "100"};
        QTest::newRow("本期及以后") << int(QMessageBox::No) << QStringList{"150", "150", "150"};
        QTest::newRow("全部未入账") << int(QMessageBox::YesToAll) << QStringList{"150", "150", "150"};
        QTest::newRow("取消") << int(QMessageBox::Cancel) << QStringList{"100", "100", "100"};
    }
    void editScopes()
    {
        QFETCH(int, answer);
        QFETCH(QStringList, amounts);
        TEST_BEGIN
        PageFixture f;
        Tx_Data startUp(Database::shared());
        addPlan(QStringLiteral("房租"), QStringLiteral("Z"), QStringLiteral("M|1|0|1|10|0|0"), QDate(2012, 1, 10));
        int posted = 0;
        QVERIFY(postAll(Database::shared(), due(), &posted));
        QCOMPARE(posted, 5);
        Tf_zhouqi page;
        page.show();
        editCell(&page, "DBGridEh1", 0, Tf_zhouqi::ColAmount, QStringLiteral("150"));
        f.boxes.clear();
        f.boxes.setAnswer(QMessageBox::StandardButton(answer));
        (void)page.saveEdits();
        QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("修改周期账单“房租”：请选择修改的范围")});
        f.setNow(QDateTime(QDate(2012, 8, 20), QTime(9, 0)));
        QVERIFY(postAll(Database::shared(), due(), &posted));
        QCOMPARE(TestDb::texts(QStringLiteral("select s_date||' '||(s_jine/10000) from s_shouru where s_other='房租' "
                                              "order by s_date")),
                 (QStringList{"2012-01-10 100", "2012-02-10 100", "2012-03-10 100", "2012-04-10 100", "2012-05-10 100",
                              "2012-06-10 " + amounts[0], "2012-07-10 " + amounts[1], "2012-08-10 " + amounts[2]}));
        QCOMPARE(due().size(), 0);
        TEST_END
    }
    // A batch of 1,500 daily occurrences cut off anywhere: all posted or
    // none, and the next start posts the rest, each exactly once.
    void killedBatchPostsEachOnce()
    {
        TEST_BEGIN
        TestDb t;
        QVERIFY2(t.ok(), qPrintable(t.error()));
        QVERIFY(t.openShared());
        {
            Tx_Data startUp(Database::shared());
            Clock::setFixed(PageFixture::defaultNow());
            addPlan(QStringLiteral("牛奶"), QStringLiteral("Z"), QStringLiteral("D|1|0|1|1|0|0"), QDate(2008, 4, 12));
            Clock::setFixed({});
        }
        Database::shared().close();
        auto check = [&](const QString& when) {
            if (!t.openShared())
                return qint64(-1);
            const qint64 records = TestDb::count(QStringLiteral("s_shouru where s_other='牛奶'"));
            const bool whole = TestDb::scalarText(QStringLiteral("PRAGMA quick_check")) == u"ok"
                               && records == TestDb::count(QStringLiteral("p_done"))
                               && records
                                      == TestDb::scalarInt(QStringLiteral("select count(distinct s_date) from "
                                                                          "s_shouru where s_other='牛奶'"))
                               && (records == 0 || records == 1500);
            Database::shared().close();
            if (!whole)
                QTest::qFail(qPrintable(when), __FILE__, __LINE__);
            return records;
        };
        int duration = 0;
        QStringList outcomes;
        for (int run = 0; run < 6; ++run) {
            Child::Process child(QStringLiteral("post"), {t.dir()});
            if (run == 0) {
                const QString end = child.waitForAny({QStringLiteral("END ")}, 60000);
                QVERIFY2(!end.isNull(), qPrintable(child.output()));
                duration = qMax(1, end.mid(4).toInt());
                child.kill();
                QCOMPARE(check(QStringLiteral("measured")), qint64(1500));
                QVERIFY(t.openShared());
                TestDb::sql(QStringLiteral("delete from s_shouru; delete from p_done"));
                Database::shared().close();
                continue;
            }
            QVERIFY2(child.killAfter(QStringLiteral("START"), int(1.5 * duration * run / 5), 60000),
                     qPrintable(child.output()));
            const qint64 records = check(QStringLiteral("run %1").arg(run));
            outcomes << QString::number(records);
            if (records == 1500) {  // the next run starts from nothing posted again
                QVERIFY(t.openShared());
                TestDb::sql(QStringLiteral("delete from s_shouru; delete from p_done"));
                Database::shared().close();
            }
        }
        // The next start after a cut posts what is due, once.
        Child::Process last(QStringLiteral("post"), {t.dir()});
        QVERIFY2(!last.waitForAny({QStringLiteral("END ")}, 60000).isNull(), qPrintable(last.output()));
        last.kill();
        QCOMPARE(check(QStringLiteral("after the kills")), qint64(1500));
        qInfo("posting 1500 occurrences: %d ms; records after each kill: %s", duration,
              qPrintable(outcomes.join(u' ')));
        TEST_END
    }
    // The real start: the login, then the automatic plans posted and said,
    // then the due dialog over the start page; its 确定 posts the rest.
    void dueListAfterTheLogin()
    {
        TEST_BEGIN
        PageFixture f;
        Tx_Data startUp(Database::shared());
        addPlan(QStringLiteral("工资"), QStringLiteral("S"), QStringLiteral("M|1|0|1|10|0|0"), QDate(2012, 4, 1));
        TestDb::sql(QStringLiteral("update p_plan set p_mode='auto'"));
        addPlan(QStringLiteral("房租"), QStringLiteral("Z"), QStringLiteral("W|1|8|1|1|0|0"), QDate(2012, 4, 5));
        int dialogRows = -1;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!w->isVisible())
                    continue;
                if (w->objectName() == u"f_login") {
                    find<QLineEdit>(w, "Edit2")->setText(QStringLiteral("admin"));
                    clickLabel(w, "Image2");
                } else if (w->objectName() == u"f_daichuli") {
                    dialogRows = rowCount(w, "DBGridEh1");
                    click(w, "Button3");
                }
            }
        });
        poll.start(20);
        MainWindowOptions options;
        options.showLogin = true;
        TForm1 form(options);
        form.show();
        QTRY_VERIFY_WITH_TIMEOUT(dialogRows >= 0, 10000);
        QCOMPARE(dialogRows, 7);
        // 自动入账 plans post without asking, said once with the list.
        const auto told = std::find_if(f.boxes.seen.cbegin(), f.boxes.seen.cend(), [](const SeenBox& b) {
            return b.text == QStringLiteral("已自动入账 2 笔周期账单");
        });
        QVERIFY(told != f.boxes.seen.cend());
        QCOMPARE(told->informative, QStringLiteral("2012-04-10  工资  100.00\n2012-05-10  工资  100.00"));
        QTRY_COMPARE(TestDb::count(QStringLiteral("s_shouru where s_other in ('工资', '房租')")), qint64(9));
        QCOMPARE(form.currentPage()->objectName(), QStringLiteral("f_main"));
        QVERIFY(!Tf_daichuli::afterLogin(&form));  // nothing left
        TEST_END
    }
};

int main(int argc, char** argv)
{
    if (const auto rc = Child::run(argc, argv, {{QStringLiteral("post"), postRole}}))
        return *rc;
    QApplication app(argc, argv);
    TstPlans test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_plans.moc"
