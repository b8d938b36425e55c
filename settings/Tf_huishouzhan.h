#pragma once
// The recycle bin: what was deleted (records, transfers, loans, diary
// entries, accounts, categories with what went with them, members with their
// records), newest first. 还原 puts the chosen item back with its own ids,
// whatever happened since; 彻底删除 and 清空回收站 remove for good.

#include "ui/Page.h"

class DataGrid;
class QLabel;
class QStandardItemModel;
struct RestorePlan;

class Tf_huishouzhan : public Page {
    Q_OBJECT
public:
    explicit Tf_huishouzhan(QWidget* parent = nullptr);

    enum Col { ColTime, ColLabel, ColContent };

public slots:
    bool FormCreate();    // reads the bin; a failed read is shown
    void Button1Click();  // 还原
    void Button2Click();  // 彻底删除
    void Button3Click();  // 清空回收站
    void Button4Click();  // 返回系统设置

private:
    // The action of the chosen row; 0 (after telling why) when none is chosen.
    qint64 chosen(const QString& what);
    // Asks where the records of owners gone for good go; false when cancelled.
    bool pickReplacements(const RestorePlan& plan, QHash<QString, qint64>* replacements);

    QStandardItemModel* m_items;
    DataGrid* m_grid;
    QLabel* m_count;
};
