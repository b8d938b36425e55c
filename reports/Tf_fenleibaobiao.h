#pragma once
// The category report: income or expense per top-level category of a date
// range with the sub-categories of the one under the cursor ("分类报表"), and
// the monthly totals of one category as bars ("分类图表").

#include "ui/Page.h"

#include <QDate>

class DataGrid;
class QChartView;
class QComboBox;
class QDateEdit;
class QRadioButton;
class QTabWidget;
class QTimer;
class QueryModel;

class Tf_fenleibaobiao : public Page {
    Q_OBJECT
public:
    explicit Tf_fenleibaobiao(QWidget* parent = nullptr);

public slots:
    void FormCreate();
    void Timer1Timer();
    void Button44Click();          // report tab: 查询
    void ADOQuery20AfterScroll();  // the top-level grid's current row moved
    void TabSheet2Show();          // the chart tab shown
    void RadioButton1Click();      // the chart tab's class changed
    void ComboBox1Select();        // a top-level category chosen for the chart
    void Button1Click();           // chart tab: 查询

private:
    void buildReportTab(QWidget* tab);
    void buildChartTab(QWidget* tab);
    // Fills the chart's top-level list with the categories of the class and
    // then its sub-category list; false after showing a failure.
    bool fillTopList(const QString& letter);
    bool fillSubList();

    QTabWidget* m_tabs;   // PageControl1
    QWidget* m_chartTab;  // TabSheet2
    QTimer* m_timer;      // Timer1
    // Report tab.
    QDateEdit* m_from;
    QDateEdit* m_to;
    QRadioButton* m_income;
    QRadioButton* m_expense;
    QueryModel* m_top;  // ADOQuery20
    DataGrid* m_topGrid;
    QueryModel* m_sub;  // sub-category totals
    DataGrid* m_subGrid;
    // The range of the last 查询: the sub-category grid details its rows.
    QDate m_queryFrom, m_queryTo;
    // Chart tab.
    QRadioButton* m_chartIncome;   // RadioButton1
    QRadioButton* m_chartExpense;  // RadioButton2
    QComboBox* m_topList;          // ComboBox1
    QComboBox* m_subList;          // ComboBox2
    QDateEdit* m_chartFrom;
    QDateEdit* m_chartTo;
    QChartView* m_chart;  // DBChart4
};
