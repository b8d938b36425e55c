#pragma once
// The entry pages' information box: on the expense page the month's budget
// of a top-level category against what was spent, on the income page this
// month's income against last month's.

#include <QGroupBox>

class QDate;
class QLabel;

class EntryInfoBox : public QGroupBox {
    Q_OBJECT
public:
    // caption: the box title; label14/15/17: the fixed texts of the page.
    EntryInfoBox(const QString& caption, const QString& label14, const QString& label15, const QString& label17,
                 QWidget* parent);

    // Budget of the top-level category `parentId` and its spending in the
    // month of `day`. A failing read is shown and leaves the box as it was.
    bool showBudget(qint64 parentId, const QDate& day);
    // The same for the top-level category of the sub-category `categoryId`.
    bool showBudgetOfCategory(qint64 categoryId, const QDate& day);
    // Income of the month of `day` up to `day` against all of the month before.
    bool showMonthComparison(const QString& classLetter, const QDate& day);

private:
    bool fail(const QString& error);  // shows it; false

    QLabel* m_heading;     // Label14: category name / "收入增长"
    QLabel* m_minuend;     // Label20: budget / this month
    QLabel* m_subtrahend;  // Label21: spent / last month
    QLabel* m_difference;  // Label22: the first less the second
};
