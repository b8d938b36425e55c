// Main window, login dialog and desktop page, driven as a user would.
#include "app/Pages.h"
#include "app/TForm1.h"
#include "app/Tf_login.h"
#include "app/Tf_main.h"
#include "data/Clock.h"
#include "data/Tx_Data.h"
#include "tests/support/BoxAnswerer.h"
#include "tests/support/TestDb.h"
#include "ui/ChineseUi.h"
#include "ui/ClickLabel.h"
#include "ui/Skin.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMouseEvent>
#include <QTest>

namespace {
QString labelText(QWidget* w, const char* name)
{
    auto* l = w->findChild<QLabel*>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<missing %1>").arg(QString::fromLatin1(name));
}

void clickLabel(QWidget* w, const char* name)
{
    auto* l = w->findChild<ClickLabel*>(QString::fromLatin1(name));
    QVERIFY2(l, name);
    QTest::mouseClick(l, Qt::LeftButton, {}, l->rect().center());
}

QStringList barNames(QWidget* page, const char* chart)
{
    auto* view = page->findChild<QChartView*>(QString::fromLatin1(chart));
    auto* series = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
    if (!series || series->barSets().isEmpty())
        return {};
    auto* axis = qobject_cast<QBarCategoryAxis*>(series->attachedAxes().value(0));
    if (!axis)
        axis = qobject_cast<QBarCategoryAxis*>(series->attachedAxes().value(1));
    QStringList names = axis ? axis->categories() : QStringList();
    std::reverse(names.begin(), names.end());  // largest first
    return names;
}

QList<qreal> barValues(QWidget* page, const char* chart)
{
    auto* view = page->findChild<QChartView*>(QString::fromLatin1(chart));
    auto* series = qobject_cast<QAbstractBarSeries*>(view->chart()->series().value(0));
    QList<qreal> v;
    if (series && !series->barSets().isEmpty())
        for (int i = series->barSets()[0]->count() - 1; i >= 0; --i)
            v << series->barSets()[0]->at(i);
    return v;
}

qint64 addCategory(const QString& name, qint64 parent, const char* cls)
{
    Query q(QStringLiteral("insert into s_fenlei (f_id,f_class,f_name) values (:p,:c,:n)"));
    q.bind(":p", parent).bind(":c", QString::fromLatin1(cls)).bind(":n", name);
    if (!q.exec())
        qWarning() << q.error();
    return Database::shared().lastInsertId();
}

void addRecord(qint64 cat, const char* amount, const char* date, const char* cls = "Z")
{
    Query q(QStringLiteral("insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) values (:f,:j,1,1,:d,:c)"));
    q.bind(":f", cat).bind(":j", *Money::parse(QString::fromLatin1(amount))).bind(":d", QString::fromLatin1(date))
        .bind(":c", QString::fromLatin1(cls));
    if (!q.exec())
        qWarning() << q.error();
}
}

// Gives one entry of the navigation table another page.
void setFactory(MainWindowOptions& options, const char* name, const PageFactory& factory)
{
    for (NavEntry& e : options.navigation)
        if (qstrcmp(e.name, name) == 0)
            e.factory = factory;
}

class TstApp : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Clock::setFixed({}); }

    void clockShowsWeekdayWithTrailingBlank()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TForm1 form(false);
        QCOMPARE(labelText(&form, "l_time"), QString());  // empty until the first tick
        Clock::setFixed(QDateTime(QDate(2012, 5, 6), QTime(14, 3, 7)));
        form.Timer1Timer();
        QCOMPARE(labelText(&form, "l_time"), QStringLiteral("2012年05月06日  14:03:07  星期天 "));
        Clock::setFixed(QDateTime(QDate(2012, 5, 12), QTime(9, 0, 0)));
        form.Timer1Timer();
        QCOMPARE(labelText(&form, "l_time"), QStringLiteral("2012年05月12日  09:00:00  星期六 "));
    }

    void skin()
    {
        qApp->setStyleSheet(QString());
        BoxAnswerer boxes;
        QVERIFY(LoadSkin(nullptr));
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("QPushButton")));
        QVERIFY(!LoadSkin(nullptr, QStringLiteral("missing")));
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("调入皮肤文件时发生错误.")});
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("QPushButton")));  // the loaded one stays
        InstallChineseUi(*qApp);
        QMessageBox box(QMessageBox::Question, QStringLiteral("系统提示"), QStringLiteral("?"), QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
    }

    void startPageCodes_data()
    {
        QTest::addColumn<QString>("code");
        for (const char* c : {"1", "0", "6", "99"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void startPageCodes()
    {
        QFETCH(QString, code);
        TestDb t;
        QVERIFY(t.openShared());
        TForm1 form(false);
        form.OpenStartPage(code);
        QVERIFY(qobject_cast<Tf_main*>(form.currentPage()));
    }

    void startPageNotANumberOpensNothing()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TForm1 form(false);
        BoxAnswerer boxes;
        form.OpenStartPage(QStringLiteral("x"));
        QVERIFY(!form.currentPage());
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
    }

    void desktopEntryRecomputesAndKeepsOnePage()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TForm1 form(false);
        form.show();
        clickLabel(&form, "Label3");
        QPointer<QWidget> first = form.currentPage();
        QVERIFY(qobject_cast<Tf_main*>(first.data()));
        // A transfer changes the balance only once the totals are rebuilt.
        TestDb::sql(QStringLiteral("update z_zhanghu set z_qcje=z_qcje+10000000 where id=1"));
        clickLabel(&form, "Label3");
        QVERIFY(first.isNull());  // the old page is gone
        QCOMPARE(form.findChild<QWidget*>(QStringLiteral("PnlShow"))->findChildren<Tf_main*>().size(), 1);
        QCOMPARE(labelText(form.currentPage(), "La1"), QStringLiteral("13000"));
        // Entries of modules not in this build do nothing.
        clickLabel(&form, "Label20");
        QVERIFY(qobject_cast<Tf_main*>(form.currentPage()));
    }

    void navigationHighlight()
    {
        TestDb t;
        QVERIFY(t.openShared());
        // Two entries whose pages this build does not carry yet open the desktop.
        MainWindowOptions options;
        options.showLogin = false;
        setFactory(options, "Label22", Pages::desktop());
        setFactory(options, "Label13", Pages::desktop());
        TForm1 form(options);
        form.show();
        auto colour = [&](const char* name) {
            return form.findChild<QLabel*>(QString::fromLatin1(name))->palette().color(QPalette::WindowText);
        };
        auto bold = [&](const char* name) { return form.findChild<QLabel*>(QString::fromLatin1(name))->font().bold(); };
        clickLabel(&form, "Label9");
        QCOMPARE(form.currentPage()->metaObject()->className(), "Tf_zhichu");
        QCOMPARE(colour("Label9"), QColor(255, 0, 0));
        clickLabel(&form, "Label10");
        QCOMPARE(form.currentPage()->metaObject()->className(), "Tf_shouru");
        QCOMPARE(colour("Label10"), QColor(255, 0, 0));
        QCOMPARE(colour("Label9"), QColor(Qt::black));
        QVERIFY(bold("Label9"));  // the main entries stay bold
        // An entry whose page is in this build but not of the three main ones: bold.
        clickLabel(&form, "Label22");
        QVERIFY(bold("Label22"));
        QCOMPARE(colour("Label10"), QColor(Qt::black));
        clickLabel(&form, "Label13");
        QVERIFY(bold("Label13"));
        QVERIFY(!bold("Label22"));
        clickLabel(&form, "Label3");  // the desktop resets the column
        QVERIFY(!bold("Label13"));
        for (const char* main : {"Label9", "Label10", "Label11"}) {
            QCOMPARE(colour(main), QColor(Qt::black));
            QVERIFY(bold(main));
        }
        QCOMPARE(form.findChild<QWidget*>(QStringLiteral("PnlShow"))->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    }

    void pageThatCannotBeMade()
    {
        TestDb t;
        QVERIFY(t.openShared());
        const PageFactory broken = [] { return static_cast<QWidget*>(nullptr); };
        MainWindowOptions options;
        options.showLogin = false;
        setFactory(options, "Label22", broken);
        setFactory(options, "Label9", broken);
        TForm1 form(options);
        form.OpenPage(Pages::desktop());
        BoxAnswerer boxes;
        clickLabel(&form, "Label10");
        clickLabel(&form, "Label22");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("ddd")});
        QVERIFY(!form.currentPage());  // the panel stays empty
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label10"))->palette().color(QPalette::WindowText),
                 QColor(255, 0, 0));  // and the old highlight with it
        QVERIFY(!form.findChild<QLabel*>(QStringLiteral("Label22"))->font().bold());
        boxes.clear();
        clickLabel(&form, "Label9");  // this entry fails silently
        QVERIFY(boxes.seen.isEmpty());
    }

    void draggingWithTheLeftButtonOnly()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TForm1 form(false);
        form.show();
        QWidget* title = form.findChild<QWidget*>(QStringLiteral("Image1"));
        const QPoint start = form.pos();
        QTest::mousePress(title, Qt::RightButton, {}, QPoint(100, 10));
        QMouseEvent rightMove(QEvent::MouseMove, QPointF(140, 30), title->mapToGlobal(QPointF(140, 30)),
                              Qt::NoButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(title, &rightMove);
        QTest::mouseRelease(title, Qt::RightButton, {}, QPoint(140, 30));
        QCOMPARE(form.pos(), start);
        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(100, 10));
        QMouseEvent leftMove(QEvent::MouseMove, QPointF(140, 30), title->mapToGlobal(QPointF(140, 30)),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(title, &leftMove);
        QCOMPARE(form.pos(), start + QPoint(40, 20));
        QCOMPARE(form.findChild<QWidget*>(QStringLiteral("Label1"))->toolTip(), QStringLiteral("关闭"));
        QCOMPARE(form.findChild<QWidget*>(QStringLiteral("Label2"))->toolTip(), QStringLiteral("最小化"));
        QCOMPARE(form.findChild<QWidget*>(QStringLiteral("PnlShow"))->size(), QSize(773, 486));
        QCOMPARE(form.size(), QSize(966, 632));
    }

    void startPageIncomeAndExpense()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TForm1 form(false);
        form.OpenStartPage(QStringLiteral("2"));
        QCOMPARE(form.currentPage()->metaObject()->className(), "Tf_shouru");
        form.OpenStartPage(QStringLiteral("3"));
        QCOMPARE(form.currentPage()->metaObject()->className(), "Tf_zhichu");
    }

    void loginRemembersAndRefuses()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("insert into s_user (sys_name,sys_pwd) values ('老\"王''s', 'p\"w''d')"));
        BoxAnswerer boxes;
        {
            Tf_login login;
            auto* users = login.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
            auto* pwd = login.findChild<QLineEdit*>(QStringLiteral("Edit2"));
            QCOMPARE(users->count(), 2);
            QCOMPARE(users->currentIndex(), 0);
            QCOMPARE(pwd->text(), QString());
            QVERIFY(!login.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked());
            login.show();
            // Wrong letter case is refused; the box empties and keeps the focus.
            QTest::keyClicks(pwd, QStringLiteral("ADMIN"));
            QTest::keyClick(pwd, Qt::Key_Return);
            QTRY_COMPARE(boxes.seen.size(), 1);
            QCOMPARE(boxes.seen[0].title, QStringLiteral("系统提示"));
            QCOMPARE(boxes.seen[0].text, QStringLiteral("对不起，密码不正确，请你重新输入！"));
            QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
            QCOMPARE(pwd->text(), QString());
            QCOMPARE(login.focusWidget(), static_cast<QWidget*>(pwd));
            QVERIFY(login.isVisible());
            // Quotes in name and password; remember both.
            users->setCurrentIndex(1);
            QTest::keyClicks(pwd, QStringLiteral("p\"w'd"));
            login.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(true);
            clickLabel(&login, "Image2");
            QVERIFY(!login.isVisible());
            QCOMPARE(login.result(), int(QDialog::Accepted));
            QVERIFY(!LoginCancelled);
        }
        QCOMPARE(TestDb::scalarText(QStringLiteral("select isuser||'|'||ispwd||'|'||isji from sys_sys")),
                 QStringLiteral("老\"王's|p\"w'd|1"));
        {
            Tf_login login;  // the next start fills both in
            QCOMPARE(login.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->currentText(), QStringLiteral("老\"王's"));
            QCOMPARE(login.findChild<QLineEdit*>(QStringLiteral("Edit2"))->text(), QStringLiteral("p\"w'd"));
            login.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->setChecked(false);
            login.show();
            clickLabel(&login, "Image2");
            QCOMPARE(login.result(), int(QDialog::Accepted));
        }
        // Unticked: isji 0, the stored name and password stay.
        QCOMPARE(TestDb::scalarText(QStringLiteral("select isuser||'|'||ispwd||'|'||isji from sys_sys")),
                 QStringLiteral("老\"王's|p\"w'd|0"));
        QCOMPARE(boxes.seen.size(), 1);
    }

    void loginRememberedMemberDeleted()
    {
        TestDb t;
        QVERIFY(t.openShared());
        TestDb::sql(QStringLiteral("update sys_sys set isuser='gone', ispwd='secret', isji=1"));
        Tf_login login;
        auto* users = login.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        QVERIFY(login.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->isChecked());
        QCOMPARE(users->currentIndex(), -1);
        QCOMPARE(login.findChild<QLineEdit*>(QStringLiteral("Edit2"))->text(), QStringLiteral("secret"));
        login.show();
        clickLabel(&login, "Image2");  // nothing chosen: nothing happens
        QVERIFY(login.isVisible());
        users->setCurrentIndex(0);
        login.findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(QStringLiteral("admin"));
        clickLabel(&login, "Image2");
        QCOMPARE(login.result(), int(QDialog::Accepted));
    }

    void loginCancelAndCloseEndTheApplication()
    {
        TestDb t;
        QVERIFY(t.openShared());
        {
            Tf_login login;
            login.show();
            clickLabel(&login, "Image3");
            QVERIFY(!login.isVisible());
            QVERIFY(LoginCancelled);
        }
        {
            Tf_login login;
            login.show();
            login.close();  // the window's own close command
            QVERIFY(LoginCancelled);
        }
    }

    void loginWithoutDatabase()
    {
        QTemporaryDir empty;
        const QString old = QDir::currentPath();
        QDir::setCurrent(empty.path());
        Tx_Data data(Database::shared());
        QDir::setCurrent(old);
        BoxAnswerer boxes;
        Tf_login login;
        QVERIFY(login.databaseMissing());
        QVERIFY(boxes.texts().contains(QStringLiteral("数据库文件\"fmy.dll\"丢失，请检查文件是否完整！")));
        QVERIFY(LoginCancelled);
    }

    void desktopFigures()
    {
        TestDb t;
        QVERIFY(t.openShared());
        Clock::setFixed(QDateTime(QDate(2013, 1, 15), QTime(10, 0)));
        TestDb::sql(QStringLiteral(
            "delete from z_zhanghu; insert into z_zhanghu (id,z_name,z_yue,z_jieru,z_jiechu) values (1,'A',10000000,5000000,2000000);"
            "update sys_sys set daytxt='it''s \"ok\"'"));
        const qint64 zc = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='早餐'"));
        const qint64 gz = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='工资'"));
        addRecord(zc, "12.5", "2013-01-02");
        addRecord(zc, "7.5", "2012-12-31");
        addRecord(gz, "100", "2012-12-01", "Z");  // the tree says income
        addRecord(zc, "99", "2012-01-10");        // January of the year before: not last month
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
    }

    void desktopNoteEditor()
    {
        TestDb t;
        QVERIFY(t.openShared());
        Tf_main page;
        page.show();
        clickLabel(&page, "Label1");
        auto* edit = page.findChild<QLineEdit*>(QStringLiteral("Edit6"));
        QVERIFY(edit->isVisible());
        edit->setText(QStringLiteral("draft"));
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("Button52")), Qt::LeftButton);
        QVERIFY(!edit->isVisible());
        QVERIFY(labelText(&page, "Label2") != u"draft");
        clickLabel(&page, "Label1");
        QCOMPARE(edit->text(), QStringLiteral("draft"));  // kept until the page is made again
        edit->setText(QStringLiteral("O'Brien's \"budget\" 100%"));
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("Button57")), Qt::LeftButton);
        QCOMPARE(labelText(&page, "Label2"), QStringLiteral("O'Brien's \"budget\" 100%"));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select daytxt from sys_sys")), QStringLiteral("O'Brien's \"budget\" 100%"));
    }

    void desktopRankings()
    {
        TestDb t;
        QVERIFY(t.openShared());
        {
            Tf_main none;  // no records at all: empty charts
            QVERIFY(barValues(&none, "Chart1").isEmpty());
            QVERIFY(barValues(&none, "Chart2").isEmpty());
        }
        const qint64 top = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='餐饮'"));
        const char* amounts[] = {"50", "40", "30", "20", "10", "10"};
        for (int i = 0; i < 6; ++i)
            addRecord(addCategory(QStringLiteral("类%1").arg(i), top, "Z"), amounts[i], "2012-05-01");
        const qint64 income = TestDb::scalarInt(QStringLiteral("select id from s_fenlei where f_name='职业收入'"));
        for (int i = 0; i < 3; ++i)
            addRecord(addCategory(QStringLiteral("入%1").arg(i), income, "S"), "5", "2012-05-01", "S");
        // The records of a member that no longer exists do not count.
        TestDb::sql(QStringLiteral("insert into s_user (id,sys_name) values (9,'x');"
                                   "insert into s_shouru (f_fenleiid,s_jine,s_userid,s_zhanghuid,s_date,f_class) "
                                   "select id, 9990000, 9, 1, '2012-05-01', 'Z' from s_fenlei where f_name='类5';"
                                   "delete from s_user where id=9"));
        Tf_main page;
        QCOMPARE(barValues(&page, "Chart1"), (QList<qreal>{50, 40, 30, 20, 10, 10}));
        QCOMPARE(barNames(&page, "Chart1").mid(0, 4), (QStringList{QStringLiteral("类0"), QStringLiteral("类1"), QStringLiteral("类2"), QStringLiteral("类3")}));
        QCOMPARE(barValues(&page, "Chart2"), (QList<qreal>{5, 5, 5}));
    }
};

QTEST_MAIN(TstApp)
#include "tst_app.moc"
