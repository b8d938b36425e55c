#pragma once
// The journal report: income and expense per day of a date range, newest day
// first, and the records of the day under the cursor. The day sums are built
// in the scratch table s_ls.

#include "ui/Page.h"

#include <QDate>

class DataGrid;
class QDateEdit;
class QTimer;
class QueryModel;

class Tf_liushuibaobiao : public Page {
    Q_OBJECT
public:
    explicit Tf_liushuibaobiao(QWidget* parent = nullptr);

public slots:
    void FormCreate();
    void Timer1Timer();
    void Button43Click();          // 刷新
    void ADOQuery17AfterScroll();  // the day list's current row moved

private:
    // Shows the records of `day` (none for an invalid date) in both detail grids.
    void loadDetails(const QDate& day);
    // A grid filling its group box, with the footer of a detail grid.
    static DataGrid* detailGrid(QWidget* box, const char* name, QueryModel* model);

    QDateEdit* m_from;      // from-date picker
    QDateEdit* m_to;        // to-date picker
    QTimer* m_timer;        // Timer1
    QueryModel* m_days;     // ADOQuery17
    DataGrid* m_dayGrid;    // the day list
    QueryModel* m_expense;  // expense records of the day
    DataGrid* m_expenseGrid;
    QueryModel* m_income;  // income records of the day
    DataGrid* m_incomeGrid;
};
