// The amount calculator, pressed key by key on the real panel.
#include "ledger/AmountCalculator.h"
#include "tests/support/Driver.h"
#include "ui/ClickLabel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstring>

namespace {
// Keys as written in the cases: digits, ".", "+-*/", "=", "B" (Backspace), "C".
const char* buttonFor(QChar k)
{
    static const char keys[] = "0123456789.+-*/=BC";
    static const char* names[]
        = {"Button24", "Button20", "Button21", "Button22", "Button16", "Button17", "Button18", "Button12", "Button13",
           "Button14", "Button25", "Button26", "Button23", "Button19", "Button15", "Button27", "Button10", "Button11"};
    const char* at = k.unicode() < 128 ? std::strchr(keys, char(k.unicode())) : nullptr;
    return at && *at ? names[at - keys] : "";
}

// An amount box and the two pictures on a page, as the entry pages have them.
struct Rig {
    QWidget page;
    QLineEdit* amount = new QLineEdit(&page);
    ClickLabel* image7 = new ClickLabel(&page);
    ClickLabel* image8 = new ClickLabel(&page);
    CalcState& state;
    AmountCalculator* calc;
    explicit Rig(CalcState& st) : state(st)
    {
        calc = new AmountCalculator(state, amount, image7, image8, &page);
        QObject::connect(image7, &ClickLabel::clicked, calc, &AmountCalculator::Image7Click);
        QObject::connect(image8, &ClickLabel::clicked, calc, &AmountCalculator::Image7Click);
        image8->hide();
        page.show();
        calc->Button11Click();  // the page clears it at creation
    }
    QPushButton* key(const char* name, DRIVER_HERE) const
    {
        return Driver::find<QPushButton>(calc, QString::fromLatin1(name), where);
    }
    // Presses the keys, opening the panel with the picture whenever "=" has closed it.
    QString press(const QString& keys, DRIVER_HERE)
    {
        for (QChar k : keys) {
            if (!calc->isVisible())
                emit image7->clicked();
            Driver::click(calc, QString::fromLatin1(buttonFor(k)), where);
        }
        return amount->text();
    }
};
}

class TstCalculator : public QObject {
    Q_OBJECT
private slots:
    void sequences_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("7*3=") << "7*3="
                              << "21";
        QTest::newRow("1/3=") << "1/3="
                              << "0.333333333333333";
        QTest::newRow("1/3*3=") << "1/3*3="
                                << "1";
        QTest::newRow("0.1+0.2=") << "0.1+0.2="
                                  << "0.3";
        QTest::newRow("3*12.5=") << "3*12.5="
                                 << "37.5";
        QTest::newRow("large") << "99999999*99999999="
                               << "9.9999998E15";
        QTest::newRow("5/0+") << "5/0+"
                              << "除数不能为0";
        QTest::newRow("5/0=") << "5/0="
                              << "0";
        QTest::newRow("007") << "007"
                             << "7";
        QTest::newRow("backspace 8") << "8B"
                                     << "0";
        QTest::newRow("backspace 0") << "0B"
                                     << "0";
        QTest::newRow("backspace 12.5") << "12.5B"
                                        << "12.";
        QTest::newRow("backspace after result") << "7*3=B"
                                                << "2";
        // Chaining and repeating.
        QTest::newRow("2+3*") << "2+3*"
                              << "5";
        QTest::newRow("left to right") << "2+3*4="
                                       << "20";
        QTest::newRow("operator twice") << "6+*2="
                                        << "12";
        QTest::newRow("2+3= =") << "2+3=="
                                << "8";
        QTest::newRow("8/2= = =") << "8/2==="
                                  << "1";
        QTest::newRow("no right operand") << "2*="
                                          << "4";
        QTest::newRow("digit after = forgets") << "2+3=4="
                                               << "4";
        QTest::newRow("result goes on") << "2+3=+1="
                                        << "6";
        QTest::newRow("clear") << "12+3C"
                               << "0";
        // The point.
        QTest::newRow("point on 0") << ".5"
                                    << "0.5";
        QTest::newRow("one point only") << "1..5"
                                        << "1.5";
        QTest::newRow("point after operator") << "3+."
                                              << "3.";
        QTest::newRow("digit after it replaces") << "3+.5="
                                                 << "8";
        // The division message is not a number.
        QTest::newRow("message then operand") << "5/0+2="
                                              << "7";  // 5 stays the first operand
        QTest::newRow("message then =") << "5/0+="
                                        << "5";
        QTest::newRow("backspace on message") << "5/0+B"
                                              << "0";
    }
    void sequences()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        TEST_BEGIN
        CalcState state;
        Rig r(state);
        QCOMPARE(r.press(keys), shown);
        TEST_END
    }

    // Text the calculator did not write: after Add the box is empty, the key
    // filter lets a blank or a lone point through.
    void textThatIsNotANumberCountsAsZero()
    {
        TEST_BEGIN
        CalcState state;
        Rig r(state);
        r.amount->clear();
        QCOMPARE(r.press(QStringLiteral("+4=")), QStringLiteral("4"));
        r.amount->setText(QStringLiteral("."));
        QCOMPARE(r.press(QStringLiteral("*3=")), QStringLiteral("0"));
        r.amount->setText(QStringLiteral("12 "));
        QCOMPARE(r.press(QStringLiteral("*2=")), QStringLiteral("24"));
        r.amount->setText(QStringLiteral("."));
        QCOMPARE(r.press(QStringLiteral("B")), QStringLiteral("0"));
        r.amount->clear();
        QCOMPARE(r.press(QStringLiteral("B")), QString());
        QCOMPARE(AmountCalculator::valueOf(QStringLiteral("1E15")), 1e15L);
        QCOMPARE(AmountCalculator::valueOf(QStringLiteral("INF")), 0.0L);
        QCOMPARE(AmountCalculator::valueOf(QStringLiteral("1,5")), 0.0L);
        TEST_END
    }

    // A save empties the box but keeps the state: "=" applies the last
    // operation to the last result once more.
    void stateOutlivesTheText()
    {
        TEST_BEGIN
        CalcState state;
        Rig r(state);
        QCOMPARE(r.press(QStringLiteral("2+3=")), QStringLiteral("5"));
        r.amount->clear();
        QCOMPARE(r.press(QStringLiteral("=")), QStringLiteral("8"));
        // A later page of the same class works on the same state.
        Rig next(state);
        QCOMPARE(next.amount->text(), QStringLiteral("0"));
        QCOMPARE(next.press(QStringLiteral("=")), QStringLiteral("0"));  // cleared: nothing to repeat
        TEST_END
    }

    void picturesOpenAndClose()
    {
        TEST_BEGIN
        CalcState state;
        Rig r(state);
        QVERIFY(!r.calc->isVisible());
        emit r.image7->clicked();
        QVERIFY(r.calc->isVisible());
        QVERIFY(!r.image7->isVisible());
        QVERIFY(r.image8->isVisible());
        emit r.image8->clicked();  // the pressed picture closes it again
        QVERIFY(!r.calc->isVisible());
        QVERIFY(r.image7->isVisible());
        QVERIFY(!r.image8->isVisible());
        r.press(QStringLiteral("2+2"));
        QVERIFY(r.calc->isVisible());
        r.press(QStringLiteral("="));
        QVERIFY(!r.calc->isVisible());
        QVERIFY(r.image7->isVisible());
        QVERIFY(!r.image8->isVisible());
        TEST_END
    }

    void captionsAndLayout()
    {
        TEST_BEGIN
        CalcState state;
        Rig r(state);
        emit r.image7->clicked();
        QCOMPARE(r.calc->size(), QSize(180, 188));
        // Rows top to bottom, keys left to right, with their captions.
        const char* rows[][4][2] = {
            {{"Button10", "Backspace"}, {"Button11", "C"}, {}, {}},
            {{"Button12", "7"}, {"Button13", "8"}, {"Button14", "9"}, {"Button15", "/"}},
            {{"Button16", "4"}, {"Button17", "5"}, {"Button18", "6"}, {"Button19", "*"}},
            {{"Button20", "1"}, {"Button21", "2"}, {"Button22", "3"}, {"Button23", "-"}},
            {{"Button24", "0"}, {"Button25", "."}, {"Button26", "+"}, {"Button27", "="}},
        };
        int lastY = -1;
        bool topRow = true;
        for (const auto& row : rows) {
            int lastX = -1;
            const int y = r.key(row[0][0])->y();
            QVERIFY(y > lastY);
            lastY = y;
            for (const auto& k : row) {
                if (!k[0])
                    continue;
                QPushButton* b = r.key(k[0]);
                QCOMPARE(b->text(), QString::fromLatin1(k[1]));
                QCOMPARE(b->y(), y);
                QVERIFY(b->x() > lastX);
                lastX = b->x();
                QVERIFY(r.calc->rect().contains(b->geometry()));
                QCOMPARE(b->font().bold(), !topRow);
            }
            topRow = false;
        }
        QVERIFY(r.key("Button10")->width() > 2 * r.key("Button12")->width());  // the two wide keys
        QCOMPARE(r.key("Button26")->property("tag").toInt(), 1);
        QCOMPARE(r.key("Button23")->property("tag").toInt(), 2);
        QCOMPARE(r.key("Button19")->property("tag").toInt(), 3);
        QCOMPARE(r.key("Button15")->property("tag").toInt(), 4);
        TEST_END
    }
};

QTEST_MAIN(TstCalculator)
#include "tst_calculator.moc"
