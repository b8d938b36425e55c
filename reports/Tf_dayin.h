#pragma once
// Printing and export: the income or the expense records of a date range,
// of all members or one, as a flat list with its total, handed to the print
// preview or written to an Excel workbook.

#include "ui/Page.h"

class DataGrid;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QueryModel;

class Tf_dayin : public Page {
    Q_OBJECT
public:
    explicit Tf_dayin(QWidget* parent = nullptr);

public slots:
    void FormCreate();
    void Button58Click();  // 查询
    void Button59Click();  // 打印
    void Button61Click();  // 导出Excel

private:
    // Runs the records query and formats the grid; false after showing a failure.
    bool query();

    QDateEdit* m_from;     // DateTimePicker14
    QDateEdit* m_to;       // DateTimePicker13
    QComboBox* m_members;  // ComboBox3
    QComboBox* m_kind;     // ComboBox4
    QueryModel* m_records;
    DataGrid* m_grid;     // DBGridEh18
    QCheckBox* m_titled;  // CheckBox1: 打印标题和页码
};
