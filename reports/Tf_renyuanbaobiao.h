#pragma once
// The member report: income, expense and their difference per member and
// month ("人员报表"), and income beside expense per month as bars ("统计图表").
// Both tabs refill the scratch table s_renls for their own range.

#include "ui/Page.h"

class DataGrid;
class QChartView;
class QComboBox;
class QDateEdit;
class QTabWidget;
class QueryModel;

class Tf_renyuanbaobiao : public Page {
    Q_OBJECT
public:
    explicit Tf_renyuanbaobiao(QWidget* parent = nullptr);

public slots:
    void FormCreate();
    void TabSheet7Show();  // 人员报表 shown
    void TabSheet8Show();  // 统计图表 shown
    void Button45Click();  // report tab: 刷新
    void Button56Click();  // chart tab: 刷新

private:
    struct Toolbar {
        QDateEdit* from;
        QDateEdit* to;
        QComboBox* members;
    };
    Toolbar buildToolbar(QWidget* tab, const char* fromName, const char* toName, const char* listName,
                         const char* buttonName, void (Tf_renyuanbaobiao::*refresh)());
    // Empties s_renls and fills it with the monthly sums per member of the
    // toolbar's range; false after showing a failure.
    bool refill(const Toolbar& bar);
    // The member chosen in the list; null for "全部用户" (the first entry).
    static QString chosenMember(const Toolbar& bar);

    QTabWidget* m_tabs;    // PageControl1
    QWidget* m_reportTab;  // TabSheet7
    QWidget* m_chartTab;   // TabSheet8
    Toolbar m_reportBar;
    Toolbar m_chartBar;
    QueryModel* m_lines;  // the grid's query
    DataGrid* m_grid;
    QChartView* m_chart;  // DBChart5
};
