// The month calendar control and the perpetual-calendar page: the cells of a
// month, steppers and their bounds, choosing a day by mouse and keyboard, the
// selection's painting, dates of the Julian calendar, the picture layer, and
// the page opened from the main window.
#include "app/TForm1.h"
#include "calendar/TChnCalendar.h"
#include "calendar/Tf_wannianli.h"
#include "data/Clock.h"
#include "tests/support/Driver.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStyleOptionSpinBox>
#include <QTest>

using namespace Driver;

namespace {
QDateTime at(int y, int m, int d) { return QDateTime(QDate(y, m, d), QTime(12, 0)); }

QSpinBox* stepper(TChnCalendar& c, const char* name) { return find<QSpinBox>(&c, QString::fromLatin1(name)); }

// Clicks the middle of a grid cell, as a user does.
void clickCell(TChnCalendar& c, int column, int row)
{
    QTest::mouseClick(c.grid(), Qt::LeftButton, {}, c.cellRect(column, row).center() - c.grid()->pos());
}

QColor pixel(TChnCalendar& c, const QPoint& p) { return c.grab().toImage().pixelColor(p); }

// A shown, active window, so the grid can hold the keyboard focus.
void showActive(QWidget& w)
{
    w.show();
    QApplication::setActiveWindow(w.window());
    QVERIFY(QTest::qWaitForWindowActive(w.window()));
}
}  // namespace

class TstWannianli : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(PageFixture::defaultNow()); }

    void monthCells()
    {
        TEST_BEGIN
        TChnCalendar c;
        QCOMPARE(c.size(), QSize(313, 253));
        QCOMPARE(c.dateTime(), PageFixture::defaultNow());

        // October 2011: the 1st a Saturday, 31 days in cells 7..37.
        c.SetDateTime(at(2011, 10, 1));
        const QStringList texts = c.cellTexts(), colours = c.cellColors();
        QCOMPARE(texts.size(), 42);
        for (int k = 1; k <= 42; ++k)
            QCOMPARE(texts[k - 1].isEmpty(), k < 7 || k == 38 || k == 39);
        QCOMPARE(texts.mid(39), (QStringList{QStringLiteral("天秤"), QStringLiteral("辛卯"), QStringLiteral("兔年")}));
        QCOMPARE(colours.mid(37), QStringList(5));  // corners and empty cells have no colours
        QCOMPARE(texts[6], QStringLiteral("1\n国庆节"));
        QCOMPARE(colours[6], QStringLiteral("255,33023"));  // a Saturday; the solar festival
        // 初一 shows the month name in red; 寒露 (8th) and 重阳节 (5th) override the day.
        QCOMPARE(texts[32], QStringLiteral("27\n十月"));
        QCOMPARE(colours[32], QStringLiteral("5197647,255"));
        QCOMPARE(texts[13], QStringLiteral("8\n寒露"));
        QCOMPARE(colours[13], QStringLiteral("255,16733011"));
        QCOMPARE(texts[10], QStringLiteral("5\n重阳节"));
        QCOMPARE(c.cnDate(), QStringLiteral("九月初五"));
        QCOMPARE(labelText(&c, "LabelStatus"), QStringLiteral("2011-10-01 农历九月初五"));
        QCOMPARE(labelText(&c, "LabelMonth"), QStringLiteral("10"));
        QCOMPARE(labelText(&c, "LabelYear"), QStringLiteral("2011"));

        // A lunar festival wins over the national day; the colours follow their setters.
        c.SetDateTime(at(2020, 10, 1));
        QCOMPARE(c.cellTexts()[4], QStringLiteral("1\n中秋节"));
        QCOMPARE(c.cellColors()[4], QStringLiteral("5197647,33023"));
        c.setColorCnHolDay(0x123456);
        QCOMPARE(c.cellColors()[4], QStringLiteral("5197647,%1").arg(0x123456));

        // Rows start on Sunday, ISO weeks on Monday: March 2020 begins on a Sunday.
        c.SetDateTime(at(2020, 3, 1));
        QCOMPARE(c.weekNumbers(), (QStringList{"10", "11", "12", "13", "14", ""}));
        c.SetDateTime(at(2011, 10, 1));  // a row holding only Saturday the 1st
        QCOMPARE(c.weekNumbers(), (QStringList{"39", "40", "41", "42", "43", "44"}));

        QCOMPARE(c.headerTexts(),
                 (QStringList{"", "星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六", ""}));
        c.setShowWeekNum(true);
        c.resize(240, 200);
        QCOMPARE(c.headerTexts(), (QStringList{"W", "日", "一", "二", "三", "四", "五", "六", ""}));
        c.resize(20, 20);  // nothing negative on a tiny control
        for (int col = 0; col < 9; ++col)
            QVERIFY(c.cellRect(col, 6).width() >= 0 && c.cellRect(col, 6).height() >= 0);
        TEST_END
    }

    void steppersAndBounds()
    {
        TEST_BEGIN
        TChnCalendar c;
        QSignalSpy changes(&c, &TChnCalendar::OnChange);
        c.SetDateTime(c.dateTime());
        QCOMPARE(changes.count(), 0);

        QSpinBox* month = stepper(c, "UpDownMonth");
        QSpinBox* year = stepper(c, "UpDownYear");
        c.SetDateTime(at(2011, 12, 31));
        month->stepUp();
        QCOMPARE(c.dateTime().date(), QDate(2012, 1, 31));
        QCOMPARE(month->value(), 1);
        QCOMPARE(year->value(), 2012);
        QTest::keyClick(month, Qt::Key_Down);
        QCOMPARE(c.dateTime().date(), QDate(2011, 12, 31));
        QCOMPARE(month->value(), 12);
        c.SetDateTime(at(2012, 3, 31));
        QWheelEvent wheel(QPointF(5, 5), month->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(month, &wheel);
        QCOMPARE(c.dateTime().date(), QDate(2012, 4, 30));
        c.SetDateTime(at(2012, 2, 29));
        year->stepUp();
        QCOMPARE(c.dateTime().date(), QDate(2013, 2, 28));

        // Past either end of the years the date and both steppers stay.
        c.SetDateTime(at(2100, 12, 15));
        changes.clear();
        month->stepUp();
        QCOMPARE(c.dateTime().date(), QDate(2100, 12, 15));
        QCOMPARE(month->value(), 12);
        QCOMPARE(year->value(), 2100);
        year->stepUp();
        QCOMPARE(year->value(), 2100);
        c.SetDateTime(at(1, 1, 5));
        changes.clear();
        month->stepDown();
        QCOMPARE(c.selectedDate().m, 1);
        QCOMPARE(month->value(), 1);
        QCOMPARE(year->value(), 1);
        c.SetDateTime(at(2101, 1, 1));
        QCOMPARE(c.selectedDate().y, 1);
        QCOMPARE(changes.count(), 0);

        // The arrows step too, though the stepper shows nothing else.
        c.SetDateTime(at(2012, 5, 20));
        c.show();
        QStyleOptionSpinBox option;
        option.initFrom(year);
        option.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
        const QRect up = year->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, year);
        QTest::mouseClick(year, Qt::LeftButton, {}, up.center());
        QCOMPARE(c.dateTime().date(), QDate(2013, 5, 20));

        // A click on the month number opens the month menu; its items and the
        // year menu's choose a month and a year; "今天" goes back to today.
        QTest::mouseClick(find<QLabel>(&c, "LabelMonth"), Qt::LeftButton);
        QTRY_VERIFY(find<QMenu>(&c, "MenuMonth")->isVisible());
        find<QMenu>(&c, "MenuMonth")->hide();
        c.SetDateTime(at(1, 1, 5));
        find<QAction>(&c, "MenuMonth_4")->trigger();
        QCOMPARE(c.selectedDate().m, 5);
        find<QMenu>(&c, "MenuYear_2010")->actions().at(2)->trigger();
        QCOMPARE(c.dateTime().date(), QDate(2012, 5, 5));
        c.SetDateTime(at(1999, 1, 1));
        QTest::mouseClick(find<QLabel>(&c, "LabelToday"), Qt::LeftButton);
        QCOMPARE(c.dateTime(), PageFixture::defaultNow());
        TEST_END
    }

    void choosingCells()
    {
        TEST_BEGIN
        TChnCalendar c;
        showActive(c);
        c.SetDateTime(at(2012, 5, 20));  // May 2012: the 1st a Tuesday, the 20th in row 4, column 1
        QSignalSpy clicks(&c, &TChnCalendar::OnDateClick), selects(&c, &TChnCalendar::OnDateSelect);
        clickCell(c, 5, 4);
        QCOMPARE(c.dateTime().date(), QDate(2012, 5, 24));
        QVERIFY(c.hasFocus());
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(selects.count(), 1);

        // Corners, empty cells, headers and the blank columns select nothing.
        for (auto [col, row] : {std::pair{5, 6}, std::pair{1, 1}, std::pair{3, 0}, std::pair{8, 3}, std::pair{6, 5}}) {
            clickCell(c, col, row);
            QCOMPARE(c.dateTime().date(), QDate(2012, 5, 24));
        }
        QCOMPARE(clicks.count(), 1);

        // One cell per arrow key, no wrapping; keys are not clicks.
        QTest::keyClick(c.grid(), Qt::Key_Right);
        QTest::keyClick(c.grid(), Qt::Key_Right);
        QCOMPARE(c.dateTime().date(), QDate(2012, 5, 26));
        QTest::keyClick(c.grid(), Qt::Key_Right);  // past Saturday
        QCOMPARE(c.dateTime().date(), QDate(2012, 5, 26));
        QTest::keyClick(c.grid(), Qt::Key_Down);
        QCOMPARE(c.dateTime().date(), QDate(2012, 5, 26));  // no 2 June in this month
        QTest::keyClick(c.grid(), Qt::Key_Up);
        QCOMPARE(c.dateTime().date(), QDate(2012, 5, 19));
        QCOMPARE(clicks.count(), 1);
        TEST_END
    }

    void selectionPainting()
    {
        TEST_BEGIN
        TChnCalendar c;
        showActive(c);
        c.SetDateTime(at(2012, 5, 20));
        const QPoint top = c.cellRect(1, 4).topLeft() + QPoint(3, 1);
        const QColor start = TChnCalendar::toColor(c.colorSelectedStart());
        auto near
            = [](const QColor& a, const QColor& b) { return qAbs(a.green() - b.green()) < 4 && a.red() == b.red(); };
        QVERIFY(near(pixel(c, top), start));
        QCOMPARE(pixel(c, c.cellRect(1, 4).topLeft()), TChnCalendar::toColor(c.colorSelectedFrame()));

        c.setHideSelection(true);
        c.grid()->setFocus();
        QVERIFY(c.hasFocus());
        QVERIFY(near(pixel(c, top), start));
        c.grid()->clearFocus();
        QCOMPARE(pixel(c, top), QColor(Qt::white));
        c.setHideSelection(false);
        QVERIFY(near(pixel(c, top), start));
        TEST_END
    }

    void julianDatesAndEras()
    {
        TEST_BEGIN
        TChnCalendar c;
        // October 1582 runs 1-4, 15-31 without a gap; 4 October was a Thursday.
        c.SetDateTime(at(1582, 10, 2));
        QCOMPARE(c.cellTexts()[4].section(u'\n', 0, 0), QStringLiteral("4"));
        QCOMPARE(c.cellTexts()[5].section(u'\n', 0, 0), QStringLiteral("15"));
        QCOMPARE(c.cellTexts()[21].section(u'\n', 0, 0), QStringLiteral("31"));
        QVERIFY(c.cellTexts()[22].isEmpty());
        c.SetDateTime(at(1582, 10, 10));  // no such day
        QCOMPARE(c.selectedDate().d, 2);
        c.SetDateTime(at(1582, 9, 12));
        stepper(c, "UpDownMonth")->stepUp();
        QCOMPARE(c.selectedDate().d, 4);

        // 1500 is a Julian leap year: its 29 February can be chosen.
        c.SetDateTime(at(1500, 2, 1));
        QCOMPARE(c.cellTexts().filter(QRegularExpression(QStringLiteral("^\\d+\\n"))).size(), 29);
        showActive(c);
        const int index = c.cellTexts().indexOf(QRegularExpression(QStringLiteral("^29\\n.*"))) + 1;
        clickCell(c, (index - 1) % 7 + 1, (index - 1) / 7 + 1);
        QCOMPARE(c.selectedDate().d, 29);
        QVERIFY(c.dateTime().isValid());

        c.SetDateTime(at(1911, 6, 1));
        QVERIFY(labelText(&c, "LabelStatus").startsWith(QStringLiteral("[近、现代]中华民国  民国元年 农历")));
        c.SetDateTime(at(1948, 6, 1));
        QVERIFY(labelText(&c, "LabelStatus").startsWith(QStringLiteral("[近、现代]中华民国  民国38年 农历")));
        TEST_END
    }

    void pictureLayer()
    {
        TChnCalendar c;
        QPixmap picture(60, 60);
        picture.fill(Qt::blue);
        QCOMPARE(pixel(c, QPoint(5, 30)), QColor(Qt::white));
        c.setBackGround(picture);  // all blue, so its top-left colour is transparent
        QCOMPARE(pixel(c, QPoint(5, 30)), QColor(Qt::white));
        QImage framed = picture.toImage();
        framed.setPixelColor(0, 0, Qt::white);
        c.setBackGround(QPixmap::fromImage(framed));
        QCOMPARE(pixel(c, QPoint(5, 30)), QColor(127, 127, 255));
        c.setAlphaBlend(100);
        QCOMPARE(pixel(c, QPoint(5, 30)), QColor(Qt::blue));
    }

    void pageFromTheMainWindow()
    {
        TEST_BEGIN
        PageFixture f;
        TForm1 form(false);
        form.show();
        form.OpenStartPage(QStringLiteral("4"));
        auto* page = qobject_cast<Tf_wannianli*>(form.currentPage());
        QVERIFY(page);
        auto* c = find<TChnCalendar>(page, "ChnCalendar1");
        QCOMPARE(c->geometry(), QRect(0, 0, 773, 486));
        QCOMPARE(c->dateTime(), PageFixture::defaultNow());
        QCOMPARE(c->fontDate().pixelSize(), 12);
        QVERIFY(c->fontDate().bold());
        QCOMPARE(c->fontCnDate().family(), QStringLiteral("宋体"));
        QCOMPARE(c->fontCnDateColor(), 15658734);

        // The status line lies below the grid, which stays clickable to its last row.
        const QRect status = find<QLabel>(c, "LabelStatus")->geometry();
        QCOMPARE(status.topLeft(), QPoint(10, 469));
        QCOMPARE(c->cellRect(1, 6).bottom() + 1, 486 - 27);
        clickCell(*c, 4, 4);
        QCOMPARE(c->dateTime().date(), QDate(2012, 5, 23));
        clickCell(*c, 2, 5);
        QCOMPARE(c->dateTime().date(), QDate(2012, 5, 28));

        // Each visit starts again from today.
        form.OpenStartPage(QStringLiteral("4"));
        QCOMPARE(find<TChnCalendar>(form.currentPage(), "ChnCalendar1")->dateTime(), PageFixture::defaultNow());
        TEST_END
    }
};

QTEST_MAIN(TstWannianli)
#include "tst_wannianli.moc"
