#pragma once
// Where the money goes over time: net worth at each month end (资产趋势), a
// year's months beside the year before's (同比环比), and the yearly summary a
// household reads at New Year (年度账单). Each tab computes when it is shown.

#include "ui/Page.h"

class DataGrid;
class QChartView;
class QComboBox;
class QLabel;
class QStandardItemModel;
class QTabWidget;

class Tf_qushi : public Page {
    Q_OBJECT
public:
    // The ranges of 资产趋势, in months (0: everything since the first record).
    static const QList<int> kRanges;
    // 同比环比 grid columns.
    enum YearCol {
        ColMonth,
        ColIncome,
        ColLastIncome,
        ColIncomeYoY,
        ColIncomeMoM,
        ColExpense,
        ColLastExpense,
        ColExpenseYoY,
        ColExpenseMoM,
        YearColumns
    };

    explicit Tf_qushi(QWidget* parent = nullptr);

public slots:
    void FormCreate();
    void TabSheet1Show();  // 资产趋势
    void TabSheet2Show();  // 同比环比
    void TabSheet3Show();  // 年度账单
    void Button1Click();   // 打印
    void Button2Click();   // 导出Excel

private:
    void buildWorthTab();
    void buildYearTab();
    void buildSummaryTab();
    int chosenYear(const QComboBox* years) const;

    QTabWidget* m_tabs;  // PageControl1
    QWidget* m_worthTab;
    QWidget* m_yearTab;
    QWidget* m_summaryTab;
    QComboBox* m_range;        // ComboBox1
    QLabel* m_worthNow;        // Label1: the last point's figures
    QLabel* m_worthNote;       // Label2: undated repayments
    QChartView* m_worthChart;  // DBChart1
    QComboBox* m_years;        // ComboBox2
    QComboBox* m_category;     // ComboBox3
    QLabel* m_yearNote;        // Label3: 去年无记录
    QChartView* m_yearChart;   // DBChart2
    QStandardItemModel* m_yearModel;
    DataGrid* m_yearGrid;       // DBGridEh1
    QComboBox* m_summaryYears;  // ComboBox4
    QStandardItemModel* m_summaryModel;
    DataGrid* m_summaryGrid;      // DBGridEh2
    QList<qint64> m_categoryIds;  // ComboBox3's entries after 全部
    bool m_filled[3] = {false, false, false};
};
