#pragma once
// The transfers page: movements of money from one account to another within
// a date range, edited in a batch.

#include "data/PlanLinks.h"
#include "ui/Page.h"

class BatchEditor;
class BatchModel;
class DataGrid;
class QDateEdit;

class Tf_zhuanzhang : public Page {
    Q_OBJECT
public:
    explicit Tf_zhuanzhang(QWidget* parent = nullptr);

    // Columns of the grid.
    enum Col { ColId, ColFrom, ColTo, ColDate, ColFromName, ColToName, ColAmount, ColRemark };

public slots:
    void FormCreate();
    void Button38Click();  // 增加
    void Button39Click();  // 删除
    void Button40Click();  // 保存
    void Button41Click();  // 查询

private:
    bool query();
    void formatGrid();  // after every query
    void buildEditor();

    QDateEdit* m_from;    // DateTimePicker1
    QDateEdit* m_to;      // DateTimePicker2
    BatchModel* m_model;  // ADOQuery7
    DataGrid* m_grid;     // DBGridEh7
    BatchEditor* m_editor;
    PlanLink m_planLink;  // of the transfer 删除 acts on
    int m_planWay = 0;    // 1 标记本期为跳过, 2 恢复为待入账
};
