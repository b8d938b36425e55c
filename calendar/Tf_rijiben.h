#pragma once
// The diary: dated free-text entries of one month, newest first, with the
// text of the current entry in an editor beside the list.
//
// Like a data-aware form, the current entry is written ("posted") when
// another entry is chosen, before "查询" and "增加", on "保存" and when the
// page goes (another navigation entry, the program's end), so typed text is
// never lost. A new entry whose text was never typed is never written: it
// stays in the list, unsaved, until "查询" or "增加" lets it go.

#include "ui/Page.h"

class BatchModel;
class DataGrid;
class NumberField;
class QPlainTextEdit;

class Tf_rijiben : public Page {
    Q_OBJECT
public:
    explicit Tf_rijiben(QWidget* parent = nullptr);
    // Posts the entry being edited.
    ~Tf_rijiben() override;

    // Columns of the result set; only the date is shown in the list.
    enum Col { ColId, ColDate, ColInfo };
    static constexpr int kFirstYear = 1900, kLastYear = 9999;

public slots:
    void FormCreate();
    void FormShow() override;
    bool writeTyping() override { return postCurrent(); }
    void Button54Click();  // 查询
    void Button1Click();   // 增加
    void Button3Click();   // 删除
    void Button4Click();   // 保存

private:
    int currentRow() const;
    // A new entry without typed text.
    bool untouched(int row) const;
    // Writes the row's typed changes; false (after showing why) when the
    // database refused them, and the row stays as typed.
    bool post(int row);
    QString dayOf(int row) const;  // the entry's date, for the labels of undo
    // Takes what an open date editor holds and posts the current entry.
    bool postCurrent();
    void setCurrent(int row);
    // The editor shows the current entry's text.
    void showCurrent();
    void memoEdited();

    BatchModel* m_model;     // ADOQuery1
    DataGrid* m_grid;        // DBGridEh1
    QPlainTextEdit* m_memo;  // DBMemo1
    NumberField* m_year;     // SpinEdit3
    NumberField* m_month;    // SpinEdit4
    bool m_showing = false;  // the editor is being filled, not typed into
};
