#include "ledger/AmountCalculator.h"

#include "data/Money.h"
#include "ui/Theme.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

#include <charconv>
#include <cmath>
#include <string>

namespace {

const QString kDivideByZero = QStringLiteral("除数不能为0");

// Each key's look comes from the panel's style sheet by this property.
enum class Kind { Edit, Digit, Operator, Equals };

const char* kindName(Kind k)
{
    switch (k) {
    case Kind::Edit: return "edit";
    case Kind::Digit: return "digit";
    case Kind::Operator: return "operator";
    case Kind::Equals: return "equals";
    }
    return "";
}

}  // namespace

bool AmountCalculator::refusesKey(const QLineEdit& amount, const QKeyEvent& e)
{
    const QString typed = e.text();
    // Editing keys pass (their text is empty or a control character); a
    // character outside the basic plane or a direction mark is a key too.
    if (e.key() == Qt::Key_Backspace || typed.isEmpty() || typed[0].category() == QChar::Other_Control)
        return false;
    const QChar c = typed[0];
    if (!(c.isDigit() && c.unicode() < 128) && c != u'.' && c != u' ')
        return true;
    // Judge the key by the text it would produce.
    QString text = amount.text();
    int pos = amount.cursorPosition();
    if (amount.hasSelectedText()) {
        pos = amount.selectionStart();
        text.remove(pos, amount.selectedText().size());
    }
    if (c == u'.' && text.contains(u'.'))
        return true;
    const QString result = text.left(pos) + c + text.mid(pos);
    const qsizetype dot = result.indexOf(u'.');
    return dot >= 0 && result.size() - dot - 1 > 2;
}

QPixmap AmountCalculator::picture(bool pressed)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Theme::chestnut);
    p.setBrush(pressed ? Theme::parchment : Theme::linen);
    p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 3, 3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 4.5, 13, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(Theme::chestnut);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            p.drawRect(QRectF(5.5 + c * 5, 11.5 + r * 3.6, 3, 2.4));
    return pm;
}

AmountCalculator::AmountCalculator(CalcState& state, QLineEdit* amount, QWidget* calcPicture,
                                   QWidget* calcPressedPicture, QWidget* parent)
    : QWidget(parent),
      s(state),
      m_amount(amount),
      m_calcPicture(calcPicture),
      m_calcPressedPicture(calcPressedPicture)
{
    setObjectName(QStringLiteral("calcPanel"));
    setAccessibleName(QStringLiteral("金额计算器"));
    setFixedSize(180, 188);
    setAttribute(Qt::WA_StyledBackground);
    // It lies over the record form: an opaque, framed panel in the skin's colours.
    setStyleSheet(QStringLiteral(
        "#calcPanel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fffdf8, stop:1 #f7ecda);"
        " border: 1px solid #b8864f; border-radius: 5px; }"
        "#calcPanel QPushButton { min-width: 0; min-height: 0; padding: 0; border-radius: 4px;"
        " border: 1px solid #d2b48a; color: #4a2c12;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #f3e7d3); }"
        "#calcPanel QPushButton[kind=\"operator\"] { color: #8a4b1f;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fff4e4, stop:1 #efd3aa); }"
        "#calcPanel QPushButton[kind=\"equals\"] { color: #ffffff; border-color: #8a4b1f;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #d9945a, stop:1 #b0642c); }"
        "#calcPanel QPushButton[kind=\"edit\"] { color: #7a4a26;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbf6ee, stop:1 #eadcc6); }"
        "#calcPanel QPushButton:hover { border-color: #b07a40; }"
        "#calcPanel QPushButton:pressed { background: #e4caa0; border-color: #8a4b1f; }"
        "#calcPanel QPushButton[kind=\"equals\"]:pressed { background: #99531f; }"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(4);
    auto add = [&](const char* name, const char* caption, int row, int col, int span, void (AmountCalculator::*slot)(),
                   Kind kind, int tag = 0) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setProperty("kind", QString::fromLatin1(kindName(kind)));
        // The amount box keeps the keyboard focus while the keys are clicked.
        b->setFocusPolicy(Qt::NoFocus);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        if (kind != Kind::Edit) {
            QFont f = b->font();
            f.setBold(true);
            if (f.pointSizeF() > 0)
                f.setPointSizeF(f.pointSizeF() + 2);  // "." and "-" are hard to hit when small
            b->setFont(f);
        }
        if (tag)
            b->setProperty("tag", tag);
        grid->addWidget(b, row, col, 1, span);
        connect(b, &QPushButton::clicked, this, slot);
    };
    add("Button10", "Backspace", 0, 0, 2, &AmountCalculator::Button10Click, Kind::Edit);
    add("Button11", "C", 0, 2, 2, &AmountCalculator::Button11Click, Kind::Edit);
    add("Button12", "7", 1, 0, 1, &AmountCalculator::Button12Click, Kind::Digit);
    add("Button13", "8", 1, 1, 1, &AmountCalculator::Button13Click, Kind::Digit);
    add("Button14", "9", 1, 2, 1, &AmountCalculator::Button14Click, Kind::Digit);
    add("Button15", "/", 1, 3, 1, &AmountCalculator::Button15Click, Kind::Operator, 4);
    add("Button16", "4", 2, 0, 1, &AmountCalculator::Button16Click, Kind::Digit);
    add("Button17", "5", 2, 1, 1, &AmountCalculator::Button17Click, Kind::Digit);
    add("Button18", "6", 2, 2, 1, &AmountCalculator::Button18Click, Kind::Digit);
    add("Button19", "*", 2, 3, 1, &AmountCalculator::Button15Click, Kind::Operator, 3);
    add("Button20", "1", 3, 0, 1, &AmountCalculator::Button20Click, Kind::Digit);
    add("Button21", "2", 3, 1, 1, &AmountCalculator::Button21Click, Kind::Digit);
    add("Button22", "3", 3, 2, 1, &AmountCalculator::Button22Click, Kind::Digit);
    add("Button23", "-", 3, 3, 1, &AmountCalculator::Button15Click, Kind::Operator, 2);
    add("Button24", "0", 4, 0, 1, &AmountCalculator::Button24Click, Kind::Digit);
    add("Button25", ".", 4, 1, 1, &AmountCalculator::Button25Click, Kind::Digit);
    add("Button26", "+", 4, 2, 1, &AmountCalculator::Button15Click, Kind::Operator, 1);
    add("Button27", "=", 4, 3, 1, &AmountCalculator::Button27Click, Kind::Equals);
    hide();
}

void AmountCalculator::Image7Click()
{
    if (isVisible()) {
        closePanel();
    } else {
        show();
        raise();
        m_calcPicture->hide();
        m_calcPressedPicture->show();
    }
}

void AmountCalculator::closePanel()
{
    hide();
    m_calcPressedPicture->hide();
    m_calcPicture->show();
}

// Empty text, a lone ".", the division message and the like count as 0
// rather than stopping the calculation with a conversion error.
long double AmountCalculator::valueOf(const QString& text)
{
    const std::string t = text.trimmed().toStdString();
    long double v = 0;
    const char* end = t.data() + t.size();
    const auto [ptr, ec] = std::from_chars(t.data(), end, v, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(v))
        return 0;
    return v;
}

long double AmountCalculator::value() const { return valueOf(m_amount->text()); }

void AmountCalculator::setValue(long double v) { m_amount->setText(formatGeneral(double(v))); }

void AmountCalculator::Button11Click()
{
    m_amount->setText(QStringLiteral("0"));
    s.first = s.second = s.result = 0;
    s.op = 0;
    s.haveFirst = s.startNew = s.opJustPressed = s.equalsDone = s.opEntered = false;
}

void AmountCalculator::digit(int d)
{
    if (!s.chaining)
        s.opEntered = false;
    const QString t = QString::number(d);
    if (s.startNew) {
        m_amount->setText(t);
        s.startNew = false;
    } else if (m_amount->text() == u"0") {
        m_amount->setText(t);
    } else {
        m_amount->setText(m_amount->text() + t);
    }
    s.opJustPressed = false;
    s.equalsDone = false;
}

void AmountCalculator::Button25Click()
{
    s.equalsDone = false;
    if (!m_amount->text().contains(u'.'))
        m_amount->setText(m_amount->text() + u'.');
}

void AmountCalculator::Button10Click()
{
    s.equalsDone = false;
    const QString t = m_amount->text();
    // One character left becomes "0" (a lone "." too, so the key is never dead);
    // the division message is not the user's number and goes at once.
    if (t.size() == 1 || t == kDivideByZero)
        m_amount->setText(QStringLiteral("0"));
    else if (!t.isEmpty())
        m_amount->setText(t.left(t.size() - 1));
    s.opJustPressed = false;
}

// The box shows numbers in a double's general form: a result past a
// double's range would read "INF", which is no number, and count as 0 in the
// next step without a word. Such a result is refused like a division by 0.
bool AmountCalculator::showable(long double v) { return std::isfinite(double(v)); }

bool AmountCalculator::compute(long double& out) const
{
    switch (s.op) {
    case 1: out = s.first + s.second; return true;
    case 2: out = s.first - s.second; return true;
    case 3: out = s.first * s.second; return true;
    case 4:
        if (s.second == 0)
            return false;
        out = s.first / s.second;
        return true;
    default: out = s.second; return true;
    }
}

void AmountCalculator::Button15Click()
{
    const int op = sender() ? sender()->property("tag").toInt() : 0;
    if (op >= 1 && op <= 4)
        applyOperator(op);
}

void AmountCalculator::applyOperator(int op)
{
    s.startNew = true;
    s.opEntered = true;
    s.chaining = true;
    if (!s.haveFirst) {
        s.first = value();
        s.haveFirst = true;
    } else if (!s.opJustPressed) {
        s.second = value();
        long double r = 0;
        if (!compute(r)) {
            m_amount->setText(kDivideByZero);
        } else if (!showable(r)) {
            m_amount->setText(QStringLiteral("0"));  // nothing computed, as for "/ 0 ="
        } else {
            s.result = r;
            setValue(r);
            s.first = r;
        }
    }
    s.opJustPressed = true;
    s.op = op;
}

void AmountCalculator::finishPending()
{
    if (!s.haveFirst || !s.op)
        return;
    if (!s.opJustPressed) {
        Button27Click();  // "7 × 3": as "=" would
        return;
    }
    // "7 ×": the shown number stands; the operator is dropped.
    s.haveFirst = s.opEntered = s.chaining = s.opJustPressed = false;
    s.op = 0;
    s.startNew = true;
    closePanel();
}

void AmountCalculator::Button27Click()
{
    if (s.opEntered) {
        if (!s.equalsDone)
            s.second = value();
        long double r = 0;
        if (compute(r) && showable(r)) {
            s.result = r;
            setValue(r);
        } else {
            m_amount->setText(QStringLiteral("0"));
        }
        s.equalsDone = true;
        s.first = s.result;
        s.opJustPressed = false;
    }
    s.startNew = true;
    s.haveFirst = false;
    s.chaining = false;
    closePanel();
}
