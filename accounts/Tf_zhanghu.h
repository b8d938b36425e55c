#pragma once
// The accounts page: every money account with its opening amount and the
// totals the recomputation derives, edited in a batch; and three pies of how
// the money is spread over the accounts.

#include "ui/Page.h"

class BatchEditor;
class BatchModel;
class DataGrid;
class QChartView;
class QTabWidget;

class Tf_zhanghu : public Page {
    Q_OBJECT
public:
    explicit Tf_zhanghu(QWidget* parent = nullptr);

    // Columns of the grid.
    enum Col {
        ColId,
        ColName,
        ColOpening,
        ColIncome,
        ColExpense,
        ColBorrowed,
        ColLent,
        ColIn,
        ColOut,
        ColBalance,
        ColRemark
    };

    // The id of the row last pressed with the mouse: "0" for none, empty for
    // an unsaved row.
    QString selectedId() const { return m_selectedId; }

public slots:
    void FormCreate();
    void Button27Click();  // 增加
    void Button28Click();  // 删除
    void Button9Click();   // 保存
    void DBGridEh3CellClick();
    void TabSheet6Show();

private:
    void buildAccountsTab(QWidget* tab);
    void buildChartTab(QWidget* tab);
    void buildEditor();
    bool refresh();

    QString m_selectedId = QStringLiteral("0");
    QTabWidget* m_tabs;   // PageControl1
    BatchModel* m_model;  // ADOQuery3
    DataGrid* m_grid;     // DBGridEh3
    BatchEditor* m_editor;
    QChartView* m_balance;  // DBChart1
    QChartView* m_income;   // DBChart2
    QChartView* m_expense;  // DBChart3
};
