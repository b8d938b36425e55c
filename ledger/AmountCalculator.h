#pragma once
// The entry pages' four-function calculator. It has no display of its own:
// it reads and writes the amount box, and "=" closes the panel again.

#include <QWidget>

class QLineEdit;
class QKeyEvent;
class QPixmap;

// The calculator's memory. Each page class keeps one that outlives its pages;
// the page clears it (Button11Click) when it is created.
struct CalcState {
    long double first = 0;   // left operand, also the running result
    long double second = 0;  // right operand, kept so "=" can repeat
    long double result = 0;
    int op = 0;              // pending operator: 0 none, 1 +, 2 -, 3 *, 4 /
    bool haveFirst = false;  // an operator has taken the first operand
    bool startNew = false;   // the next digit replaces the text
    bool opJustPressed = false;
    bool equalsDone = false;  // a further "=" reuses the second operand
    bool opEntered = false;   // "=" has something to compute
    bool chaining = false;    // set by an operator, cleared by "="; Clear keeps it
};

class AmountCalculator : public QWidget {
    Q_OBJECT
public:
    // amount is the page's amount box; calcPicture (Image7) opens the panel
    // and calcPressedPicture (Image8) closes it. The panel starts hidden; the
    // page clears the state once it has built the panel.
    AmountCalculator(CalcState& state, QLineEdit* amount, QWidget* calcPicture, QWidget* calcPressedPicture,
                     QWidget* parent);

    // The number the amount box shows; text that is not a number counts as 0.
    static long double valueOf(const QString& text);
    // The picture beside the amount box that opens the panel; the pressed
    // twin (shown while the panel is open) is darker.
    static QPixmap picture(bool pressed);
    // The amount box takes digits, one point, blanks and at most two
    // decimals; a key is judged by the text it would produce.
    static bool refusesKey(const QLineEdit& amount, const QKeyEvent& e);
    // Before a save: an operation with its second number typed is completed
    // as "=" would; an operator without one is dropped, the shown number
    // stands.
    void finishPending();

public slots:
    void Image7Click();  // both pictures: open or close the panel
    void Button24Click() { digit(0); }
    void Button20Click() { digit(1); }
    void Button21Click() { digit(2); }
    void Button22Click() { digit(3); }
    void Button16Click() { digit(4); }
    void Button17Click() { digit(5); }
    void Button18Click() { digit(6); }
    void Button12Click() { digit(7); }
    void Button13Click() { digit(8); }
    void Button14Click() { digit(9); }
    void Button25Click();  // .
    void Button10Click();  // Backspace
    void Button11Click();  // C
    void Button15Click();  // + - * / (the sending button's "tag" is the operator)
    void Button27Click();  // =

private:
    void digit(int d);
    void applyOperator(int op);
    long double value() const;
    void setValue(long double v);
    void closePanel();
    bool compute(long double& out) const;  // false on division by zero
    static bool showable(long double v);   // fits the box's number form

    CalcState& s;
    QLineEdit* m_amount;
    QWidget* m_calcPicture;         // Image7
    QWidget* m_calcPressedPicture;  // Image8
};
