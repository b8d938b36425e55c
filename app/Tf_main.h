#pragma once
// The desktop: the household's note, assets and debts over all accounts,
// this and last month's income and expenditure, and the five largest
// expenditure and income categories of all time.

#include "ui/Page.h"

class ClickLabel;
class QLabel;
class QLineEdit;
class QChartView;
class QPushButton;

// The page's statements with parameters :t1/:t2 (a month) and :c (class).
extern const char* const kDesktopMonthSql;
extern const char* const kDesktopRankingSql;
// Bars of each ranking (more when categories tie with the last one).
extern const int kRankingBars;

class Tf_main : public Page {
    Q_OBJECT
public:
    explicit Tf_main(QWidget* parent = nullptr);

public slots:
    void FormCreate();
    void Label1Click();
    void Button52Click();
    void Button57Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNote(const QString& note);
    void buildNote();
    void buildFigures();
    void buildNoteEditor();
    QLabel* figure(const char* name, int x, int y, int h = 25);
    bool fillRanking(QChartView* chart, const char* cls, const QColor& colour);

    // 待处理周期账单 N 笔, shown only when N > 0; a click handles them.
    void showDue();
    ClickLabel* m_due = nullptr;  // Label40
    // 本月预算: this month's budget, spent, left and left per day; hidden
    // in a month without any budget amount.
    void buildBudget();
    void showBudget();
    QWidget* m_budget = nullptr;  // Panel2
    QLabel* m_budgetLine1;        // Label41
    QLabel* m_budgetLine2;        // Label42
    QLabel* m_note;               // Label2
    QString m_noteText;           // the stored note, in full
    QWidget* m_editor;
    QLineEdit* m_noteEdit;
    QLabel* m_fig[10] = {};
    QChartView* m_expenseRanking;  // Chart1
    QChartView* m_incomeRanking;   // Chart2
};
