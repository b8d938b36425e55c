#pragma once
// The monthly budget: one amount and remark per top-level expense category
// ("预算定制"), and a month's spending per category beside its budget
// ("预算查询"). The budget rows themselves come and go with the categories.

#include "data/Database.h"
#include "ui/Page.h"

class BatchEditor;
class BatchModel;
class DataGrid;
class NumberField;
class QPushButton;
class QTabWidget;
class QueryModel;

class Tf_yushuan : public Page {
    Q_OBJECT
public:
    // Definition grid columns.
    enum DefCol { DefId, DefName, DefMoney, DefYear, DefCarry, DefRemark, DefCategoryId, DefCarryValue };
    // Comparison columns after the four of the month: what the month may
    // spend (carry-over included).
    enum CmpCol { CmpAvailable = 4 };

    explicit Tf_yushuan(QWidget* parent = nullptr);

    // The comparison of one month: each top-level category with a budget
    // row and spending in the month.
    static QString comparisonSql();
    static Binds comparisonBinds(const QDate& month);

public slots:
    void FormCreate();
    void TabSheet2Show();  // 预算定制
    void TabSheet1Show();  // 预算查询
    void Button42Click();  // 刷新
    void Button1Click();   // 保存

private:
    void buildDefinitionTab();
    void buildComparisonTab();
    // Shows a failing read and returns false.
    bool openDefinitions();
    void layoutDefinitions();
    void buildEditor();

    bool m_definitionsOpen = false;
    QTabWidget* m_tabs;   // PageControl1
    QWidget* m_defTab;    // TabSheet2
    QWidget* m_cmpTab;    // TabSheet1
    QPushButton* m_save;  // Button1
    BatchModel* m_def;    // ADOQuery (s_yushuan)
    DataGrid* m_defGrid;  // DBGridEh9
    BatchEditor* m_editor;
    NumberField* m_year;   // SpinEdit1
    NumberField* m_month;  // SpinEdit2
    QueryModel* m_cmp;     // the comparison query
    DataGrid* m_cmpGrid;   // DBGridEh10
};
