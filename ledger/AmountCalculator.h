#pragma once
// The entry pages' four-function calculator. It has no display of its own:
// it reads and writes the amount box, and "=" closes the panel again.

#include <QWidget>

class QLineEdit;

// The calculator's memory, one per page class; it outlives the pages.
struct CalcState {
    long double first = 0, second = 0, result = 0;
    int op = 0;                // 0 none, 1 +, 2 -, 3 *, 4 /
    bool haveFirst = false;
    bool startNew = false;
    bool opJustPressed = false;
    bool equalsDone = false;
    bool opEntered = false;
    bool chaining = false;
};

class AmountCalculator : public QWidget {
    Q_OBJECT
public:
    // image7 opens the panel, image8 (the pressed picture) closes it.
    AmountCalculator(CalcState& state, QLineEdit* amount, QWidget* image7, QWidget* image8, QWidget* parent);

public slots:
    void Image7Click();
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
    void Button25Click();   // .
    void Button10Click();   // Backspace
    void Button11Click();   // C
    void Button15Click();   // + - * / (the sender's tag is the operator)
    void Button27Click();   // =

private:
    void digit(int d);
    void applyOperator(int op);
    long double value() const;
    void closePanel();
    bool compute(long double& out) const;  // false on division by zero

    CalcState& s;
    QLineEdit* m_amount;
    QWidget* m_image7;
    QWidget* m_image8;
};
