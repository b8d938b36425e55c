#pragma once
// The twin category pages: top-level categories on the left, the
// sub-categories of the current one on the right, both edited in batches.

#include "ui/Page.h"

class BatchEditor;
class BatchModel;
class DataGrid;
class QLineEdit;

struct CategoryTraits {
    const char* objectName;  // "F_shouruleibie" / "F_zhichuleibie"
    char classLetter;        // 'S' / 'Z'
    bool blankRowWhenEmpty;  // the income page opens with one blank row
};

class CategoryPage : public Page {
    Q_OBJECT
public:
    QString classLetter() const { return QString(QChar::fromLatin1(m_t.classLetter)); }
    // The id of the current top-level row as text; empty for none or a new row.
    QString currentTopId() const { return m_topId; }

public slots:
    void FormCreate();
    void ADOQuery9AfterScroll();
    void Button29Click();  // top: 增加
    void Button30Click();  // top: 删除
    void Button31Click();  // top: 保存
    void Button32Click();  // sub: 增加
    void Button33Click();  // sub: 删除
    void Button34Click();  // sub: 保存
    void DBEditEh1Change();

protected:
    CategoryPage(const CategoryTraits& traits, QWidget* parent);

private:
    void buildButtons();
    void buildGrids();
    void buildEditors();
    // "删除类别“餐饮”及其 57 笔记录"; keeps the count for askDelete.
    QString deleteLabel(BatchModel* model, int idColumn, int nameColumn, int row, bool top);
    // The page's question; over the journal's bound it names the copy
    // written first.
    bool askDelete(const QString& question);
    qint64 m_deleteRows = 0;
    // Each shows a failing read and returns false.
    bool openTop();
    bool openSub();
    bool reload();  // both lists
    int currentRow(DataGrid* grid) const;

    CategoryTraits m_t;
    QString m_topId;
    BatchModel* m_top;
    BatchModel* m_sub;
    DataGrid* m_topGrid;  // DBGridEh4
    DataGrid* m_subGrid;  // DBGridEh5
    BatchEditor* m_topEditor;
    BatchEditor* m_subEditor;
    QLineEdit* m_name;  // DBEditEh1
    QLineEdit* m_code;  // DBEditEh2
};
