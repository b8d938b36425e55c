#pragma once
// The twin loan pages: money borrowed and money lent, one row per loan in
// s_jie, edited in a batch. Repayments are typed into the loan's own row;
// the stored outstanding amount j_yuMoney is refreshed after every save.

#include "ui/Page.h"

class BatchEditor;
class BatchModel;
class DataGrid;
class QComboBox;
class QDateEdit;
class QTimer;

// What tells the borrowing and the lending page apart.
struct LoanTraits {
    const char* objectName;   // "f_jieru" / "f_jiechu"
    char classLetter;         // 'S' borrowed / 'Z' lent
    const char* amountTitle;  // title of column 5: "借入金额" / "借出金额"
    // Editing of column 5: its drop-down button always shown (borrowed), or
    // amounts typed without an input method (lent).
    bool amountEditButton;
};

class LoanPage : public Page {
    Q_OBJECT
public:
    // Grid columns.
    enum Col {
        ColId,
        ColClass,
        ColAccountId,
        ColDate,
        ColAccount,
        ColAmount,
        ColRepaid,
        ColOutstanding,
        ColDue,
        ColLentTo,
        ColBorrower,
        ColRemark
    };
    // Entries of the filter list.
    enum Filter { All, NotRepaid, Repaid };

    QString classLetter() const { return QString(QChar::fromLatin1(m_t.classLetter)); }

public slots:
    void FormCreate();
    void Timer1Timer();
    void Button35Click();  // 增加
    void Button36Click();  // 删除
    void Button37Click();  // 保存
    void Button41Click();  // 查询
    void DBGridEh6CellClick(const QModelIndex& index);

protected:
    LoanPage(const LoanTraits& traits, QWidget* parent);

private:
    void buildToolbar();
    void buildGrid();
    // Each shows a failing read and returns false.
    bool query();    // the filter and dates now chosen
    bool requery();  // the filter and dates of the last query
    void layoutGrid();
    // The first listing comes 50 ms after creation; an action before it
    // runs it at once.
    bool ensureListed();
    void buildEditor();

    LoanTraits m_t;
    bool m_accountColumn = false;  // the 账户 look-up column is in place
    QDateEdit* m_from;             // DateTimePicker1
    QDateEdit* m_to;               // DateTimePicker2
    QComboBox* m_filter;           // ComboBox1
    QTimer* m_timer;               // Timer1
    BatchModel* m_model;           // ADOQuery (s_jie)
    DataGrid* m_grid;              // DBGridEh6
    BatchEditor* m_editor;
};
