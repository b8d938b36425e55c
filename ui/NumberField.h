#pragma once
// A whole-number field with up and down buttons whose text is its number.
// While the user types, any text stands; when the field loses focus, a
// button is used or the text is read, a number outside the range is pulled
// to the nearest bound and a text that is no number counts as the lowest
// value.

#include <QSpinBox>

class NumberField : public QSpinBox {
    Q_OBJECT
public:
    NumberField(int minimum, int maximum, QWidget* parent = nullptr);

    // The value the text stands for, after putting the text right.
    int settledValue();

protected:
    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
};
