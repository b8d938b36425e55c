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
    // `before`: what the box holds when the keys are pressed; besides the
    // calculator's own "0", text it did not write (after Add the box is
    // empty, the key filter lets a blank or a lone point through), read as 0
    // unless it is a number.
    void sequences_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        auto row = [](const char* tag, const char* keys, const char* shown, const char* before = "0") {
            QTest::newRow(tag) << QString::fromUtf8(before) << QString::fromUtf8(keys) << QString::fromUtf8(shown);
        };
        row("7*3=", "7*3=", "21");
        row("1/3=", "1/3=", "0.333333333333333");
        row("1/3*3=", "1/3*3=", "1");
        row("0.1+0.2=", "0.1+0.2=", "0.3");
        row("3*12.5=", "3*12.5=", "37.5");
        row("9-12=", "9-12=", "-3");
        row("large", "99999999*99999999=", "9.9999998E15");
        row("5/0+", "5/0+", "除数不能为0");
        row("5/0=", "5/0=", "0");
        row("007", "007", "7");
        row("backspace 8", "8B", "0");
        row("backspace 0", "0B", "0");
        row("backspace 12.5", "12.5B", "12.");
        row("backspace after result", "7*3=B", "2");
        // Chaining and repeating.
        row("2+3*", "2+3*", "5");
        row("left to right", "2+3*4=", "20");
        row("operator twice", "6+*2=", "12");
        row("2+3= =", "2+3==", "8");
        row("8/2= = =", "8/2===", "1");
        row("no right operand", "2*=", "4");
        row("digit after = forgets", "2+3=4=", "4");
        row("result goes on", "2+3=+1=", "6");
        row("clear", "12+3C", "0");
        // The point.
        row("point on 0", ".5", "0.5");
        row("one point only", "1..5", "1.5");
        row("point after operator", "3+.", "3.");
        row("digit after it replaces", "3+.5=", "8");
        // The division message is not a number.
        row("message then operand", "5/0+2=", "7");  // 5 stays the first operand
        row("message then =", "5/0+=", "5");
        row("backspace on message", "5/0+B", "0");
        // Text the calculator did not write.
        row("empty box", "+4=", "4", "");
        row("lone point", "*3=", "0", ".");
        row("trailing blank", "*2=", "24", "12 ");
        row("backspace on a lone point", "B", "0", ".");
        row("backspace on an empty box", "B", "", "");
        row("exponent form", "+0=", "1E15", "1E15");
        row("infinity", "+1=", "1", "INF");
        row("decimal comma", "+1=", "1", "1,5");
    }
    void sequences()
    {
        QFETCH(QString, before);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        TEST_BEGIN
        CalcState state;
        Rig r(state);
        r.amount->setText(before);
        QCOMPARE(r.press(keys), shown);
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
        // Panel, picture that opens it, picture that closes it.
        auto shown = [&] { return QList<bool>{r.calc->isVisible(), r.image7->isVisible(), r.image8->isVisible()}; };
        const QList<bool> closed{false, true, false}, open{true, false, true};
        QCOMPARE(shown(), closed);
        emit r.image7->clicked();
        QCOMPARE(shown(), open);
        emit r.image8->clicked();  // the pressed picture closes it again
        QCOMPARE(shown(), closed);
        r.press(QStringLiteral("2+2"));
        QCOMPARE(shown(), open);
        r.press(QStringLiteral("="));
        QCOMPARE(shown(), closed);
        TEST_END
    }

    void captionsAndLayout()
    {
        TEST_BEGIN
        CalcState state;
        Rig r(state);
        emit r.image7->clicked();
        QCOMPARE(r.calc->size(), QSize(180, 188));
        // Rows top to bottom, keys left to right (as the cases write them), with their captions.
        int lastY = -1;
        for (const char* row : {"BC", "789/", "456*", "123-", "0.+="}) {
            int lastX = -1;
            const int y = r.key(buttonFor(QLatin1Char(row[0])))->y();
            QVERIFY(y > lastY);
            lastY = y;
            for (const QChar k : QString::fromLatin1(row)) {
                QPushButton* b = r.key(buttonFor(k));
                QCOMPARE(b->text(), k == u'B' ? QStringLiteral("Backspace") : QString(k));
                QCOMPARE(b->y(), y);
                QVERIFY(b->x() > lastX);
                lastX = b->x();
                QVERIFY(r.calc->rect().contains(b->geometry()));
                QCOMPARE(b->font().bold(), row[0] != 'B');  // all but the top row
            }
        }
        QVERIFY(r.key("Button10")->width() > 2 * r.key("Button12")->width());  // the two wide keys
        TEST_END
    }
};

QTEST_MAIN(TstCalculator)
#include "tst_calculator.moc"
