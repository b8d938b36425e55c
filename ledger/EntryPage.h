#pragma once
// The twin record-entry pages: a record form, the day list with its search,
// the seven-day chart, the category picker and the information box (budget
// on the expense page, month comparison on the income page).

#include "ui/Page.h"
#include "ui/QueryModel.h"

#include <QDate>

class AmountCalculator;
struct CalcState;
class CategoryPicker;
class ClickLabel;
class DataGrid;
class EntryInfoBox;
class LookupCombo;
class QChartView;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTimer;
class SaveNotice;
class SearchPanel;

// What tells the expense and income pages apart.
struct EntryTraits {
    const char* objectName;    // "f_zhichu" / "f_shouru"
    char classLetter;          // 'Z' / 'S'
    bool budgetBox;            // expense: budget of the picked category
    const char* payerCaption;  // "付款人：" / "收款人"
    const char* infoCaption;   // "预算信息" / "本月比上月增长"
    const char* label14;       // category name / "收入增长"
    const char* label15;       // "本月预算金额" / "本月收入"
    const char* label17;       // "实际金额" / "上月收入"
    CalcState* calculator;     // one calculator state per page class
};

class EntryPage : public Page {
    Q_OBJECT
public:
    // Columns of the record list.
    enum Col { ColNo, ColDate, ColItem, ColPerson, ColAmount, ColAccount, ColRemark, ColUserId, ColAccountId, ColId };

    QString actionLabel(const QString& verb, const QString& category, Money amount) const;
    // The handled occurrence of a recurring plan that posted `record`, and
    // whether its delete skips it (1) or makes it due again (2); false when
    // the user cancelled or the read failed (told).
    bool planOccurrence(qint64 record, qint64* occurrence, int* way);
    QString classLetter() const { return QString(QChar::fromLatin1(m_t.classLetter)); }
    bool isEditMode() const { return m_editMode; }
    // How the record list reads the records of `filter`.
    static QueryModel::Chunked recordList(const QString& filter);

public slots:
    void FormCreate();
    void FormShow() override;
    void Button1Click();   // 增加
    void Button2Click();   // 删除
    void Button3Click();   // 保存
    void Button4Click();   // 昨天
    void Button5Click();   // 今天
    void Button6Click();   // 明天
    void Button7Click();   // 模糊查询
    void Button8Click();   // search panel: 取消
    void Button9Click();   // search panel: 查询
    void Button28Click();  // reload the day list
    void DateTimePicker1Change();
    void DateTimePicker2Change();
    void Edit3Click();
    void Edit3Change();
    void DBGridEh1CellClick();
    void GroupBox7Click();
    void Timer1Timer();

protected:
    EntryPage(const EntryTraits& traits, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildButtonRow();
    void buildForm();
    void buildInfoAndChart();
    void buildList();
    void buildPanels();

    // Each shows a failing read and returns false.
    // With a date range and no other filter, the footer sums the records'
    // monthly sums over it instead of the rows.
    bool loadList(const QString& where, const Binds& binds, const QDate& spanFrom = {}, const QDate& spanTo = {});
    bool showDay();  // the list of the list date
    bool search();   // the list of the search panel's keyword and range
    bool loadChart();
    void categoryChosen(qint64 parentId, const QString& name);
    void setDates(const QDate& entry, const QDate& list);
    void refreshAfterChange(qint64 categoryId);
    // Expense page, after a save: the budget notices of the record's
    // category and month (and year) not shown before.
    void showBudgetNotices(qint64 categoryId, const QDate& day);

    EntryTraits m_t;
    bool m_editMode = false;
    bool m_loadingForm = false;

    QDateEdit* m_entryDate;            // DateTimePicker2
    QDateEdit* m_listDate;             // DateTimePicker1
    LookupCombo* m_payer;              // DBLookupComboboxEh1
    LookupCombo* m_account;            // DBLookupComboboxEh2
    QLineEdit* m_category;             // Edit3
    QLineEdit* m_amount;               // Edit1
    QLineEdit* m_remark;               // Edit2
    QLabel* m_editId;                  // editid
    QGroupBox* m_form;                 // GroupBox1
    EntryInfoBox* m_infoBox;           // GroupBox2
    CategoryPicker* m_picker;          // GroupBox5, 项目分类
    SaveNotice* m_notice;              // GroupBox7, 信息提示
    SearchPanel* m_search;             // GroupBox6, 模糊查询
    QTimer* m_timer;                   // Timer1
    ClickLabel* m_calcPicture;         // Image7
    ClickLabel* m_calcPressedPicture;  // Image8
    AmountCalculator* m_calc;
    DataGrid* m_list;  // DBGridEh1
    QueryModel* m_listModel;
    QChartView* m_chart;  // DBChart1
};
