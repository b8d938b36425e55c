#pragma once
// The rule editor of a recurring plan (规则): the unit and its interval, the
// weekdays, the month and day (civil or lunar, 月末, the k-th last day), the
// leap-month choice and the weekend shift; the rule's text and its next
// dates are shown as they are chosen.

#include "recurring/Recurrence.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

class RuleEditor : public QDialog {
    Q_OBJECT
public:
    RuleEditor(const Recurrence& rule, const QDate& start, QWidget* parent = nullptr);
    Recurrence rule() const;

private:
    void unitChanged();
    void showRule();

    QDate m_start;
    QComboBox* m_unit;     // ComboBox1
    QSpinBox* m_every;     // SpinEdit1
    QCheckBox* m_days[7];  // CheckBox1..7: 周一 … 周日
    QComboBox* m_month;    // ComboBox2
    QComboBox* m_day;      // ComboBox3
    QComboBox* m_leap;     // ComboBox4
    QComboBox* m_shift;    // ComboBox5
    QLabel* m_text;        // Label1: the rule and its next dates
    QLabel* m_everyUnit;
};
