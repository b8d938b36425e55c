// Dates typed by hand: one table of typed inputs over a date box of a page
// and a date cell of a batch grid, both typed key by key as a user does.
#include "accounts/Tf_zhuanzhang.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"
#include "ui/DateBox.h"
#include "ui/Skin.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using namespace Driver;

class TstDateBox : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");  // null: not a date
        QTest::newRow("dashes") << "2025-12-31" << QDate(2025, 12, 31);
        QTest::newRow("slashes") << "2025/12/31" << QDate(2025, 12, 31);
        QTest::newRow("dots") << "2025.12.31" << QDate(2025, 12, 31);
        QTest::newRow("eight digits") << "20251231" << QDate(2025, 12, 31);
        QTest::newRow("short parts") << "2025-1-5" << QDate(2025, 1, 5);
        QTest::newRow("no such day") << "2025-02-30" << QDate();
        QTest::newRow("mixed separators") << "2025-12/31" << QDate();
        QTest::newRow("year only") << "2025" << QDate();
        QTest::newRow("month 13") << "20251301" << QDate();
    }
    void parse()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QCOMPARE(DateBox::parseTyped(typed), date);
    }

    void typedOverADate_data()
    {
        QTest::addColumn<bool>("inGrid");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QDate>("stored");
        const QDate old(2012, 5, 20);
        for (bool grid : {false, true}) {
            const char* where = grid ? "grid cell" : "date box";
            QTest::addRow("%s: whole date", where) << grid << "2025-12-31" << QDate(2025, 12, 31);
            QTest::addRow("%s: other month", where) << grid << "2026-11-20" << QDate(2026, 11, 20);
            QTest::addRow("%s: eight digits", where) << grid << "20270630" << QDate(2027, 6, 30);
            QTest::addRow("%s: slashes", where) << grid << "2025/12/31" << QDate(2025, 12, 31);
            QTest::addRow("%s: short parts", where) << grid << "2025-1-5" << QDate(2025, 1, 5);
            QTest::addRow("%s: no such day keeps the date", where) << grid << "2025-02-30" << old;
        }
    }
    void typedOverADate()
    {
        QFETCH(bool, inGrid);
        QFETCH(QString, keys);
        QFETCH(QDate, stored);
        TEST_BEGIN
        PageFixture f;
        Tf_zhuanzhang page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        if (inGrid) {
            click(&page, "Button38");  // a new row, its date cell's editor open
            DataGrid* g = grid(&page, "DBGridEh7");
            const int row = rowCount(&page, "DBGridEh7") - 1;
            editCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColDate, QDate(2012, 5, 20));
            selectCell(&page, "DBGridEh7", row, Tf_zhuanzhang::ColDate);
            g->setFocus();
            // The first key opens the editor; the rest go where the keyboard is.
            QTest::keyClick(g, keys.at(0).toLatin1());
            QWidget* editor = QApplication::focusWidget();
            QVERIFY(editor && editor != g);
            QTest::keyClicks(editor, keys.mid(1));
            // What is typed shows as typed until it is read.
            const QString shown = editor->findChild<QLineEdit*>()->text();
            QVERIFY2(shown == keys || shown == stored.toString(QStringLiteral("yyyy-MM-dd")), qPrintable(shown));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(g->model()->index(row, Tf_zhuanzhang::ColDate).data(Qt::EditRole).toDate(), stored);
        } else {
            auto* box = find<QDateEdit>(&page, "DateTimePicker1");
            QCOMPARE(box->date(), QDate(2012, 5, 1));
            box->setDate(QDate(2012, 5, 20));
            // A click into the box: the typing replaces the whole date.
            QApplication::setActiveWindow(&page);
            auto* text = box->findChild<QLineEdit*>();
            QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(text->width() / 2, text->height() / 2));
            QCOMPARE(text->selectedText(), text->text());
            QTest::keyClicks(box, keys);
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(box->date(), stored);
            QCOMPARE(box->findChild<QLineEdit*>()->text(), stored.toString(QStringLiteral("yyyy-MM-dd")));
        }
        TEST_END
    }

    // The calendar a click on the arrow opens shows all six week rows whole.
    void calendarShowsEveryWeek_data()
    {
        QTest::addColumn<bool>("inGrid");
        QTest::newRow("date box") << false;
        QTest::newRow("grid cell") << true;
    }
    void calendarShowsEveryWeek()
    {
        QFETCH(bool, inGrid);
        TEST_BEGIN
        PageFixture f;
        LoadSkin(nullptr);  // the styled month bar is taller
        Tf_zhuanzhang page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QDateEdit* box = find<QDateEdit>(&page, "DateTimePicker1");
        if (inGrid) {
            click(&page, "Button38");  // a new row, its date cell's editor open
            box = grid(&page, "DBGridEh7")->viewport()->findChild<QDateEdit*>();
            QVERIFY(box);
        }
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 6, box->height() / 2));
        QCalendarWidget* calendar = box->calendarWidget();
        QTRY_VERIFY(calendar->isVisible());
        auto* days = calendar->findChild<QTableView*>();
        const int last = days->model()->rowCount() - 1;
        QCOMPARE(last, 6);  // the day names and six weeks
        QVERIFY2(days->rowViewportPosition(last) + days->rowHeight(last) <= days->viewport()->height(),
                 qPrintable(QStringLiteral("%1 + %2 > %3")
                                .arg(days->rowViewportPosition(last))
                                .arg(days->rowHeight(last))
                                .arg(days->viewport()->height())));
        calendar->window()->hide();
        TEST_END
    }
};

QTEST_MAIN(TstDateBox)
#include "tst_datebox.moc"
