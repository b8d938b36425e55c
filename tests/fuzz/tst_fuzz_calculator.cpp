// The amount calculator as a property test: the input is a run of key
// presses on the real panel (digits, point, operators, "=", Backspace, C, the
// picture, and what the page does to the box: a save's finishing step and
// emptying). After every press the box holds what the display rules allow:
// a digit leaves an amount the amount parser reads, a computed result is a
// finite number in the general form (an amount the parser reads whenever it
// is one) or the division message, Backspace and "." edit only the end, C
// shows 0, "=" closes the panel; nothing crashes.
#include "data/Money.h"
#include "ledger/AmountCalculator.h"
#include "tests/fuzz/Fuzz.h"

#include <QLineEdit>
#include <QPushButton>

#include <charconv>
#include <cmath>

FUZZ_RUNS(4000);

namespace {

const QString kDivideByZero = QStringLiteral("除数不能为0");

struct Rig {
    CalcState state;
    QWidget page;
    QLineEdit* amount = new QLineEdit(&page);
    QWidget* image7 = new QWidget(&page);
    QWidget* image8 = new QWidget(&page);
    AmountCalculator* calc = new AmountCalculator(state, amount, image7, image8, &page);
    QPushButton* keys[18];
    Rig()
    {
        static const char* names[] = {"Button24", "Button20", "Button21", "Button22", "Button16", "Button17",
                                      "Button18", "Button12", "Button13", "Button14", "Button25", "Button26",
                                      "Button23", "Button19", "Button15", "Button27", "Button10", "Button11"};
        for (int i = 0; i < 18; ++i) {
            keys[i] = calc->findChild<QPushButton*>(QString::fromLatin1(names[i]));
            if (!keys[i])
                Fuzz::fail(QStringLiteral("no key %1").arg(QString::fromLatin1(names[i])));
        }
        image8->hide();
        page.show();
    }
};

// Sign, digits, at most one point: what a user may leave in the box.
bool amountSyntax(const QString& t)
{
    qsizetype i = t.startsWith(u'-') ? 1 : 0;
    bool digit = false, dot = false;
    for (; i < t.size(); ++i) {
        if (t[i] == u'.' && !dot)
            dot = true;
        else if (t[i].unicode() >= u'0' && t[i].unicode() <= u'9')
            digit = true;
        else
            return false;
    }
    return digit;
}

// A computed number as the general form writes it: finite, at most 15
// significant digits, no trailing zeros after a point, an exponent only
// from 1E15 up or below 1E-5; without one, an amount the parser reads
// (range aside).
QString resultProblem(const QString& t)
{
    const QString mantissa = t.section(u'E', 0, 0), exponent = t.contains(u'E') ? t.section(u'E', 1) : QString();
    if (!amountSyntax(mantissa) || mantissa.endsWith(u'.') || (mantissa.contains(u'.') && mantissa.endsWith(u'0')))
        return QStringLiteral("not a number in the general form");
    if (t.contains(u'E') && (!amountSyntax(exponent) || exponent.contains(u'.')))
        return QStringLiteral("malformed exponent");
    const std::string s = t.toStdString();
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v))
        return QStringLiteral("not a finite number");
    QString digits = QString(mantissa).remove(u'-').remove(u'.');
    while (digits.startsWith(u'0'))
        digits.remove(0, 1);
    if (digits.size() > 15)
        return QStringLiteral("more than 15 significant digits");
    const double a = std::fabs(v);
    if (t.contains(u'E') != (a != 0 && (a >= 1e15 || a < 1e-5)))
        return QStringLiteral("exponent form where plain digits fit, or the reverse");
    if (!t.contains(u'E') && a <= 9e14 && !Money::parse(t))
        return QStringLiteral("the amount parser refuses it");
    return {};
}

const char* keyName(int k)
{
    static const char* const names[]
        = {"0",          "1", "2", "3", "4", "5", "6",         "7", "8",       "9",
           ".",          "+", "-", "*", "/", "=", "Backspace", "C", "picture", "save's finishing step",
           "box emptied"};
    return names[k];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::ensureApplication();
    static Rig* rig = new Rig;  // one panel for every input: made once, as fast as can be
    Rig& r = *rig;
    r.state = CalcState();
    r.calc->Button11Click();  // as the page does when it is created
    if (r.calc->isVisible())
        r.calc->Image7Click();

    QStringList trail;  // the keys so far, for the report
    auto press = [&](int k) {
        const QString before = r.amount->text();
        trail << QString::fromLatin1(keyName(k));
        if (k < 18 && !r.calc->isVisible())
            r.calc->Image7Click();  // "=" closed it: the user opens it again
        if (k < 18)
            r.keys[k]->click();
        else if (k == 18)
            r.calc->Image7Click();
        else if (k == 19)
            r.calc->finishPending();
        else
            r.amount->clear();
        const QString t = r.amount->text();
        auto fail = [&](const QString& why) {
            Fuzz::fail(QStringLiteral("after %1 the box shows \"%2\" (before \"%3\"): %4")
                           .arg(trail.join(u' '), t, before, why));
        };
        if (k <= 9) {
            if (!t.endsWith(QChar(u'0' + k)) || !amountSyntax(t))
                fail(QStringLiteral("a digit must leave an amount"));
        } else if (k == 10) {
            if (t != before && t != before + u'.')
                fail(QStringLiteral("the point only goes at the end"));
            if (amountSyntax(before) && !amountSyntax(t))
                fail(QStringLiteral("the point must leave an amount"));
        } else if (k == 16) {
            if (t != QStringLiteral("0") && t != before.chopped(before.isEmpty() ? 0 : 1))
                fail(QStringLiteral("Backspace drops the last character or leaves 0"));
            if ((before.size() == 1 || before == kDivideByZero) && t != QStringLiteral("0"))
                fail(QStringLiteral("Backspace on one character or the message leaves 0"));
        } else if (k == 17) {
            if (t != QStringLiteral("0"))
                fail(QStringLiteral("C shows 0"));
        } else if (k == 18) {
            if (t != before)
                fail(QStringLiteral("the picture changed the box"));
        } else if (k == 20) {
            if (!t.isEmpty())
                fail(QStringLiteral("not emptied"));
        } else if (t != before && t != kDivideByZero) {
            if (const QString why = resultProblem(t); !why.isEmpty())
                fail(why);
        }
        if (k == 15 && r.calc->isVisible())
            fail(QStringLiteral("\"=\" leaves the panel open"));
        if (k == 15 && (r.image8->isVisible() || !r.image7->isVisible()))
            fail(QStringLiteral("the pictures are not swapped back"));
    };

    for (size_t i = 0; i < size; ++i) {
        const uint8_t b = data[i];
        if (b >= 252 && i + 1 < size) {
            // A run: the next key pressed 2..33 times (long numbers, "=" repeated).
            const int k = data[++i] % 21;
            for (int n = 2 + (b & 3) * 8 + (data[i] >> 5); n > 0; --n)
                press(k);
        } else {
            press(b % 21);
        }
    }
    return 0;
}
