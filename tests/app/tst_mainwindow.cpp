// The main window: clock, skin, start page, navigation and dragging.
#include "app/Pages.h"
#include "app/TForm1.h"
#include "app/Tf_main.h"
#include "tests/support/Driver.h"
#include "ui/ChineseUi.h"
#include "ui/Skin.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

using namespace Driver;

namespace {
// Gives one entry of the navigation table another page.
void setFactory(MainWindowOptions& options, const char* name, const PageFactory& factory)
{
    for (NavEntry& e : options.navigation)
        if (qstrcmp(e.name, name) == 0)
            e.factory = factory;
}
}

class TstMainWindow : public QObject {
    Q_OBJECT

private slots:
    void clockShowsWeekdayWithTrailingBlank()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        QCOMPARE(labelText(&form, "l_time"), QString());  // empty until the first tick
        f.setNow(QDateTime(QDate(2012, 5, 6), QTime(14, 3, 7)));
        form.Timer1Timer();
        QCOMPARE(labelText(&form, "l_time"), QStringLiteral("2012年05月06日  14:03:07  星期天 "));
        f.setNow(QDateTime(QDate(2012, 5, 12), QTime(9, 0, 0)));
        form.Timer1Timer();
        QCOMPARE(labelText(&form, "l_time"), QStringLiteral("2012年05月12日  09:00:00  星期六 "));
        TEST_END
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
        QMessageBox box(QMessageBox::Question, QStringLiteral("系统提示"), QStringLiteral("?"),
                        QMessageBox::Ok | QMessageBox::Cancel);
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
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        form.OpenStartPage(code);
        QVERIFY(qobject_cast<Tf_main*>(form.currentPage()));
        TEST_END
    }

    void startPageNotANumberOpensNothing()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        auto& boxes = f.boxes;
        form.OpenStartPage(QStringLiteral("x"));
        QVERIFY(!form.currentPage());
        QCOMPARE(boxes.seen.size(), 1);
        QCOMPARE(boxes.seen[0].icon, QMessageBox::Critical);
        TEST_END
    }

    void startPageIncomeAndExpense()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        form.OpenStartPage(QStringLiteral("2"));
        QCOMPARE(form.currentPage()->metaObject()->className(), "Tf_shouru");
        form.OpenStartPage(QStringLiteral("3"));
        QCOMPARE(form.currentPage()->metaObject()->className(), "Tf_zhichu");
        TEST_END
    }

    void desktopEntryRecomputesAndKeepsOnePage()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        form.show();
        clickLabel(&form, "Label3");
        QPointer<QWidget> first = form.currentPage();
        QVERIFY(qobject_cast<Tf_main*>(first.data()));
        // A transfer changes the balance only once the totals are rebuilt.
        TestDb::sql(QStringLiteral("update z_zhanghu set z_qcje=z_qcje+10000000 where id=1"));
        clickLabel(&form, "Label3");
        QVERIFY(first.isNull());  // the old page is gone
        QCOMPARE(find<QWidget>(&form, "PnlShow")->findChildren<Tf_main*>().size(), 1);
        QCOMPARE(labelText(form.currentPage(), "La1"), QStringLiteral("13000"));
        // Entries of modules not in this build do nothing.
        for (const NavEntry& e : defaultNavigation())
            if (!e.factory) {
                clickLabel(&form, QString::fromLatin1(e.name));
                QVERIFY(qobject_cast<Tf_main*>(form.currentPage()));
            }
        TEST_END
    }

    void navigationHighlight()
    {
        TEST_BEGIN
        PageFixture f;
        // Two entries whose pages this build does not carry yet open the desktop.
        MainWindowOptions options;
        options.showLogin = false;
        setFactory(options, "Label22", Pages::desktop());
        setFactory(options, "Label13", Pages::desktop());
        TForm1 form(options);
        form.show();
        auto colour
            = [&](const char* name) { return find<QLabel>(&form, name)->palette().color(QPalette::WindowText); };
        auto bold = [&](const char* name) { return find<QLabel>(&form, name)->font().bold(); };
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
        QCOMPARE(find<QWidget>(&form, "PnlShow")->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size(),
                 1);
        TEST_END
    }

    void pageThatCannotBeMade()
    {
        TEST_BEGIN
        PageFixture f;
        const PageFactory broken = [] { return static_cast<QWidget*>(nullptr); };
        MainWindowOptions options;
        options.showLogin = false;
        setFactory(options, "Label22", broken);
        setFactory(options, "Label9", broken);
        TForm1 form(options);
        form.OpenPage(Pages::desktop());
        auto& boxes = f.boxes;
        clickLabel(&form, "Label10");
        clickLabel(&form, "Label22");
        QCOMPARE(boxes.texts(), QStringList{QStringLiteral("ddd")});
        QVERIFY(!form.currentPage());  // the panel stays empty
        // and the old highlight with it
        QCOMPARE(find<QLabel>(&form, "Label10")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!find<QLabel>(&form, "Label22")->font().bold());
        boxes.clear();
        clickLabel(&form, "Label9");  // this entry fails silently
        QVERIFY(boxes.seen.isEmpty());
        TEST_END
    }

    void draggingWithTheLeftButtonOnly()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        form.show();
        QWidget* title = find<QWidget>(&form, "Image1");
        const QPoint start = form.pos();
        QTest::mousePress(title, Qt::RightButton, {}, QPoint(100, 10));
        QMouseEvent rightMove(QEvent::MouseMove, QPointF(140, 30), title->mapToGlobal(QPointF(140, 30)), Qt::NoButton,
                              Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(title, &rightMove);
        QTest::mouseRelease(title, Qt::RightButton, {}, QPoint(140, 30));
        QCOMPARE(form.pos(), start);
        QTest::mousePress(title, Qt::LeftButton, {}, QPoint(100, 10));
        QMouseEvent leftMove(QEvent::MouseMove, QPointF(140, 30), title->mapToGlobal(QPointF(140, 30)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(title, &leftMove);
        QCOMPARE(form.pos(), start + QPoint(40, 20));
        QCOMPARE(find<QWidget>(&form, "Label1")->toolTip(), QStringLiteral("关闭"));
        QCOMPARE(find<QWidget>(&form, "Label2")->toolTip(), QStringLiteral("最小化"));
        QCOMPARE(find<QWidget>(&form, "PnlShow")->size(), QSize(773, 486));
        QCOMPARE(form.size(), QSize(966, 632));
        TEST_END
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
