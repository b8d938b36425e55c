#include "ledger/AmountCalculator.h"

#include "data/Money.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {
QString numberText(long double v) { return formatGeneral(double(v)); }
}

AmountCalculator::AmountCalculator(CalcState& state, QLineEdit* amount, QWidget* image7, QWidget* image8,
                                   QWidget* parent)
    : QWidget(parent), s(state), m_amount(amount), m_image7(image7), m_image8(image8)
{
    setObjectName(QStringLiteral("Panel4"));
    setFixedSize(180, 188);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral(
        "#Panel4 { background: #fbf4e8; border: 1px solid #c9a77c; border-radius: 4px; }"
        "#Panel4 QPushButton { min-width: 0; padding: 0; }"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setSpacing(4);
    auto add = [&](const char* name, const char* caption, int row, int col, int span, void (AmountCalculator::*slot)(),
                   bool bold, int tag = 0) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumHeight(30);
        if (bold) {
            QFont f = b->font();
            f.setBold(true);
            b->setFont(f);
        }
        if (tag)
            b->setProperty("tag", tag);
        grid->addWidget(b, row, col, 1, span);
        connect(b, &QPushButton::clicked, this, slot);
    };
    add("Button10", "Backspace", 0, 0, 2, &AmountCalculator::Button10Click, false);
    add("Button11", "C", 0, 2, 2, &AmountCalculator::Button11Click, false);
    add("Button12", "7", 1, 0, 1, &AmountCalculator::Button12Click, true);
    add("Button13", "8", 1, 1, 1, &AmountCalculator::Button13Click, true);
    add("Button14", "9", 1, 2, 1, &AmountCalculator::Button14Click, true);
    add("Button15", "/", 1, 3, 1, &AmountCalculator::Button15Click, true, 4);
    add("Button16", "4", 2, 0, 1, &AmountCalculator::Button16Click, true);
    add("Button17", "5", 2, 1, 1, &AmountCalculator::Button17Click, true);
    add("Button18", "6", 2, 2, 1, &AmountCalculator::Button18Click, true);
    add("Button19", "*", 2, 3, 1, &AmountCalculator::Button15Click, true, 3);
    add("Button20", "1", 3, 0, 1, &AmountCalculator::Button20Click, true);
    add("Button21", "2", 3, 1, 1, &AmountCalculator::Button21Click, true);
    add("Button22", "3", 3, 2, 1, &AmountCalculator::Button22Click, true);
    add("Button23", "-", 3, 3, 1, &AmountCalculator::Button15Click, true, 2);
    add("Button24", "0", 4, 0, 1, &AmountCalculator::Button24Click, true);
    add("Button25", ".", 4, 1, 1, &AmountCalculator::Button25Click, true);
    add("Button26", "+", 4, 2, 1, &AmountCalculator::Button15Click, true, 1);
    add("Button27", "=", 4, 3, 1, &AmountCalculator::Button27Click, true);
}

void AmountCalculator::Image7Click()
{
    if (isVisible()) {
        hide();
        m_image8->hide();
        m_image7->show();
    } else {
        show();
        raise();
        m_image7->hide();
        m_image8->show();
    }
}

void AmountCalculator::closePanel()
{
    hide();
    m_image8->hide();
    m_image7->show();
}

// Text that is not a number (empty, ".", the division message) counts as 0.
long double AmountCalculator::value() const
{
    bool ok = false;
    const long double v = m_amount->text().toDouble(&ok);
    return ok ? v : 0;
}

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
    if (t.size() == 1) {
        if (value() != 0)
            m_amount->setText(QStringLiteral("0"));
    } else if (!t.isEmpty()) {
        m_amount->setText(t.left(t.size() - 1));
    }
    s.opJustPressed = false;
}

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
        s.op = op;
    } else if (!s.opJustPressed) {
        s.second = value();
        long double r = 0;
        if (compute(r)) {
            s.result = r;
            m_amount->setText(numberText(r));
            s.first = r;
        } else {
            m_amount->setText(QStringLiteral("除数不能为0"));
        }
    }
    s.opJustPressed = true;
    s.op = op;
}

void AmountCalculator::Button27Click()
{
    if (s.opEntered) {
        if (!s.equalsDone)
            s.second = value();
        long double r = 0;
        if (compute(r)) {
            s.result = r;
            m_amount->setText(numberText(r));
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
