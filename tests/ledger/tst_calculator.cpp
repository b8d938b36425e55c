// The amount calculator, pressed key by key.
#include "ledger/AmountCalculator.h"
#include "ui/ClickLabel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
// Keys as written in the cases: digits, ".", "+-*/", "=", "B" (Backspace), "C".
const char* buttonFor(QChar k)
{
    switch (k.unicode()) {
    case '0': return "Button24";
    case '1': return "Button20";
    case '2': return "Button21";
    case '3': return "Button22";
    case '4': return "Button16";
    case '5': return "Button17";
    case '6': return "Button18";
    case '7': return "Button12";
    case '8': return "Button13";
    case '9': return "Button14";
    case '.': return "Button25";
    case '+': return "Button26";
    case '-': return "Button23";
    case '*': return "Button19";
    case '/': return "Button15";
    case '=': return "Button27";
    case 'B': return "Button10";
    case 'C': return "Button11";
    }
    return "";
}

struct Rig {
    QWidget page;
    QLineEdit* amount = new QLineEdit(&page);
    ClickLabel* image7 = new ClickLabel(&page);
    ClickLabel* image8 = new ClickLabel(&page);
    CalcState state;
    AmountCalculator* calc;
    Rig()
    {
        calc = new AmountCalculator(state, amount, image7, image8, &page);
        QObject::connect(image7, &ClickLabel::clicked, calc, &AmountCalculator::Image7Click);
        QObject::connect(image8, &ClickLabel::clicked, calc, &AmountCalculator::Image7Click);
        image8->hide();
        calc->hide();
        page.show();
        calc->Button11Click();  // the page clears it at creation
    }
    QString press(const QString& keys)
    {
        for (QChar k : keys) {
            if (!calc->isVisible())
                emit image7->clicked();
            auto* b = calc->findChild<QPushButton*>(QString::fromLatin1(buttonFor(k)));
            if (!b)
                qFatal("no key %c", char(k.unicode()));
            QTest::mouseClick(b, Qt::LeftButton);
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
        QTest::newRow("7*3=") << "7*3=" << "21";
        QTest::newRow("1/3=") << "1/3=" << "0.333333333333333";
        QTest::newRow("5/0+") << "5/0+" << "除数不能为0";
        QTest::newRow("5/0=") << "5/0=" << "0";
        QTest::newRow("007") << "007" << "7";
        QTest::newRow("backspace 8") << "8B" << "0";
        QTest::newRow("backspace 0") << "0B" << "0";
        QTest::newRow("backspace 12.5") << "12.5B" << "12.";
        QTest::newRow("2+3= =") << "2+3==" << "8";
        QTest::newRow("2+3*") << "2+3*" << "5";
        QTest::newRow("2+3*4=") << "2+3*4=" << "20";
        QTest::newRow("operator twice") << "6+*2=" << "12";
        QTest::newRow("one point only") << "1..5" << "1.5";
        QTest::newRow("point after operator") << "3+.5=" << "8";  // the digit still replaces the text
        QTest::newRow("3*12.5=") << "3*12.5=" << "37.5";
        QTest::newRow("clear") << "12+3C" << "0";
        QTest::newRow("message then operator") << "5/0+2=" << "7";  // 5 stays the first operand
    }
    void sequences()
    {
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        Rig r;
        QCOMPARE(r.press(keys), shown);
    }

    void equalsClosesThePanel()
    {
        Rig r;
        emit r.image7->clicked();
        QVERIFY(r.calc->isVisible());
        QVERIFY(!r.image7->isVisible());
        QVERIFY(r.image8->isVisible());
        r.press(QStringLiteral("2+2="));
        QVERIFY(!r.calc->isVisible());
        QVERIFY(r.image7->isVisible());
        QVERIFY(!r.image8->isVisible());
        emit r.image7->clicked();
        emit r.image8->clicked();  // the pressed picture closes it again
        QVERIFY(!r.calc->isVisible());
    }

    void textThatIsNotANumberCountsAsZero()
    {
        Rig r;
        r.amount->clear();  // after Add the box is empty
        QCOMPARE(r.press(QStringLiteral("+4=")), QStringLiteral("4"));
        r.amount->setText(QStringLiteral("."));
        QCOMPARE(r.press(QStringLiteral("*3=")), QStringLiteral("0"));
    }

    void captionsAndLayout()
    {
        Rig r;
        QCOMPARE(r.calc->size(), QSize(180, 188));
        QCOMPARE(r.calc->findChild<QPushButton*>(QStringLiteral("Button10"))->text(), QStringLiteral("Backspace"));
        QCOMPARE(r.calc->findChild<QPushButton*>(QStringLiteral("Button19"))->property("tag").toInt(), 3);
        QVERIFY(r.calc->findChild<QPushButton*>(QStringLiteral("Button27"))->font().bold());
    }
};

QTEST_MAIN(TstCalculator)
#include "tst_calculator.moc"
