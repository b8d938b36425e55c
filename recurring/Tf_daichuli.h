#pragma once
// The due list of the recurring plans (待处理周期账单): every occurrence not
// handled yet, each with its date, plan, category (or the account a transfer
// goes to), account, member, amount (editable; empty for a plan whose amount
// varies) and what to do with it: 入账, 跳过 or 推迟 (it comes back at the
// next start). More than kFoldAfter rows of one plan fold into one line
// "另有 N 期" that a double click opens.

#include "recurring/Plans.h"

#include <QDialog>

class DataGrid;
class QStandardItemModel;

class Tf_daichuli : public QDialog {
    Q_OBJECT
public:
    enum Col { ColDate, ColPlan, ColWhat, ColAccount, ColMember, ColAmount, ColChoice };
    enum Choice { Post, Skip, Later };
    static constexpr int kFoldAfter = 24;

    Tf_daichuli(const QList<Plan>& plans, const QList<DueOccurrence>& due, QWidget* parent = nullptr);

    // After the login (and from the desktop's panel): the 自动入账 plans'
    // due occurrences posted and told once, then this dialog for the rest,
    // when there is any. True when something was written; a failed read or
    // write is told.
    static bool afterLogin(QWidget* parent);

public slots:
    void Button1Click();  // 全部入账
    void Button2Click();  // 全部跳过
    void Button3Click();  // 确定

private:
    struct Row {
        DueOccurrence due;
        QString amount;  // as typed
        Choice choice;
    };
    void fill();
    void unfold(int planRow);
    void setAll(Choice c);
    void takeEdits();

    QList<Plan> m_plans;
    QList<Row> m_rows;
    QList<qint64> m_unfolded;  // plans shown whole
    QStandardItemModel* m_model;
    DataGrid* m_grid;
};
