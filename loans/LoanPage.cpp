#include "loans/LoanPage.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Loans.h"
#include "ui/BatchEditor.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>

namespace {

// The select list is the same for every filter; the amount's title is the
// page's own. The outstanding amount is computed on the page from the row
// (null here), so it follows the user's typing before a save.
const char* const kSelect
    = "select id,j_class,z_id,j_date as 日期,j_chuMoney as %1,j_ruMoney as 已还金额,null as 余额,"
      "j_shoudate as 预计回收期,j_jiege as 借给,j_jiekuanren as 借款人,j_other as 备注 from s_jie ";
// By filter (全部, 未还清, 已还清): the stored outstanding amount decides, not
// the one shown, so a repayment counts once it is saved.
const char* const kWhere[] = {
    "where j_class=:j_ZorS and j_date between :t1 and :t2",
    "where j_class=:j_ZorS and  j_yuMoney<>0 and j_date between :t1 and :t2",
    "where j_class=:j_ZorS and  j_yuMoney=0 and j_date between :t1 and :t2",
};
// Loans by date, then in the order they were entered.
const char* const kOrder = " order by j_date,id";
const char* const kAccounts = "select id,z_name as 账户 from z_zhanghu order by id";

// Widths of the visible columns, from 日期 on: room for a date or an amount
// beside a drop-down button, and for the footer's "￥#.00" sums. The remark
// takes the rest.
constexpr int kWidths[] = {100, 90, 80, 72, 80, 84, 80, 64};

Money moneyOf(const QVariant& v) { return v.metaType() == QMetaType::fromType<Money>() ? v.value<Money>() : Money(); }

}  // namespace

LoanPage::LoanPage(const LoanTraits& traits, QWidget* parent) : Page(traits.objectName, parent), m_t(traits)
{
    setWindowTitle(QStringLiteral("借入管理"));
    buildToolbar();
    buildGrid();
    FormCreate();
}

void LoanPage::buildToolbar()
{
    connect(button(this, "Button35", QStringLiteral("增加"), QRect(6, 8, 60, 26)), &QPushButton::clicked, this,
            &LoanPage::Button35Click);
    connect(button(this, "Button36", QStringLiteral("删除"), QRect(70, 8, 60, 26)), &QPushButton::clicked, this,
            &LoanPage::Button36Click);
    connect(button(this, "Button37", QStringLiteral("保存"), QRect(134, 8, 60, 26)), &QPushButton::clicked, this,
            &LoanPage::Button37Click);
    label(this, QStringLiteral("借款日期："), QRect(214, 8, 66, 26));
    m_from = dateEdit(this, "DateTimePicker1", QRect(280, 8, 104, 26));
    label(this, QStringLiteral("至"), QRect(390, 8, 16, 26));
    m_to = dateEdit(this, "DateTimePicker2", QRect(408, 8, 104, 26));
    m_filter = new QComboBox(this);
    m_filter->setObjectName(QStringLiteral("ComboBox1"));
    m_filter->addItems({QStringLiteral("全部"), QStringLiteral("未还清"), QStringLiteral("已还清")});
    m_filter->setGeometry(520, 8, 80, 26);
    connect(button(this, "Button41", QStringLiteral("查询"), QRect(608, 8, 60, 26)), &QPushButton::clicked, this,
            &LoanPage::Button41Click);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(50);
    connect(m_timer, &QTimer::timeout, this, &LoanPage::Timer1Timer);
}

void LoanPage::buildGrid()
{
    m_model = new BatchModel(this);
    m_grid = grid(this, "DBGridEh6", QRect(3, 42, 767, 441), m_model);
    m_grid->setRowHeight(22);
    // The remark takes what the fixed widths leave.
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                            | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_grid->setLookupList(ColAccount, QStringLiteral("id"), QStringLiteral("账户"));
    m_grid->setEditButton(ColDate);
    m_grid->setEditButton(ColAccount);
    if (m_t.amountEditButton)
        m_grid->setEditButton(ColAmount);
    else
        m_grid->setInputMethodClosed(ColAmount);
    m_grid->setInputMethodClosed(ColRepaid);
    m_grid->setFooterText(ColDate, QStringLiteral("合计:"));
    for (int c : {ColAmount, ColRepaid, ColOutstanding})
        m_grid->setFooterSum(c);
    connect(m_grid, &QAbstractItemView::clicked, this, &LoanPage::DBGridEh6CellClick);

    // A new row is of this page's class however it was made: a row without
    // one would be listed on neither page.
    m_model->beforeInsert = [this](QVector<QVariant>& v) { v[ColClass] = classLetter(); };
    buildEditor();
}

void LoanPage::FormCreate()
{
    m_from->setDate(firstDayOfMonth(Clock::today()));
    m_to->setDate(Clock::today());
    m_timer->start();
}

void LoanPage::Timer1Timer()
{
    m_timer->stop();
    query();
}

bool LoanPage::ensureListed()
{
    if (!m_timer->isActive())
        return true;
    m_timer->stop();
    return query();
}

bool LoanPage::query()
{
    const int filter = qBound(0, m_filter->currentIndex(), 2);
    const QString sql = QString::fromUtf8(kSelect).arg(QString::fromUtf8(m_t.amountTitle))
                        + QString::fromUtf8(kWhere[filter]) + QString::fromLatin1(kOrder);
    DbError error;
    bool ok = m_model->setQuery(sql, {{":j_ZorS", classLetter()}, {":t1", m_from->date()}, {":t2", m_to->date()}},
                                QStringLiteral("s_jie"), QStringLiteral("id"), &error);
    if (ok && !m_accountColumn) {
        // The account's name shows beside the hidden id; typing a letter in
        // it opens the list of accounts.
        m_accountColumn = true;
        ok = m_model->insertLookupColumn(ColAccount, QStringLiteral("账户"), QStringLiteral("z_id"),
                                         QString::fromUtf8(kAccounts), QStringLiteral("id"), QStringLiteral("账户"),
                                         &error);
        m_model->setCalculated(ColOutstanding, [](const QVector<QVariant>& row) {
            return QVariant::fromValue(moneyOf(row.value(ColAmount)) - moneyOf(row.value(ColRepaid)));
        });
        m_model->setMaxLength(ColLentTo, 50);
        m_model->setMaxLength(ColBorrower, 50);
        m_model->setMaxLength(ColRemark, 250);
    }
    layoutGrid();
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

bool LoanPage::requery()
{
    DbError error;
    const bool ok = m_model->refresh(&error);
    layoutGrid();
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

void LoanPage::layoutGrid()
{
    for (int c : {ColId, ColClass, ColAccountId})
        m_grid->setColumnHidden(c, true);
    for (int c = ColDate; c < ColRemark; ++c)
        m_grid->setColumnWidth(c, kWidths[c - ColDate]);
}

void LoanPage::buildEditor()
{
    BatchEditor::Setup s;
    s.subject = m_t.classLetter == 'S' ? QStringLiteral("借入") : QStringLiteral("借出");
    s.deleteLabel = [this](int row) {
        auto cell = [&](int c) { return m_model->index(row, c).data().toString(); };
        return QStringLiteral("删除%1 %2 %3")
            .arg(m_t.classLetter == 'S' ? QStringLiteral("借入") : QStringLiteral("借出"), cell(ColDate),
                 cell(ColAmount));
    };
    s.keyColumn = ColId;
    s.addColumn = ColDate;
    s.editOnAdd = false;
    s.amountsPositive = true;
    // A loan is dated the day it is entered unless the user says otherwise:
    // an undated loan would fall outside every date range.
    s.preset = {{ColDate, Clock::today()}};
    s.ready = [this] { return ensureListed(); };
    s.dropUnsavedRow = false;  // 删除 on an unsaved row does nothing
    // The batch and the outstanding amounts it changes are written together
    // or not at all.
    s.extraWrite = updateLoanOutstanding;
    // The saved rows come back with their ids, so they can be deleted at once.
    s.reread = [this] { return requery(); };
    s.askDelete = [this](int row) {
        return Msg::confirm(this, QStringLiteral("是否确定删除？") + m_model->raw(row, ColId).toString());
    };
    s.removeSaved = BatchEditor::deleteThrough(this, deleteLoan);
    m_editor = new BatchEditor(this, m_grid, m_model, std::move(s));
}

void LoanPage::Button41Click()
{
    if (m_editor->settle())
        query();
}

void LoanPage::Button35Click() { m_editor->add(); }
void LoanPage::Button36Click() { m_editor->remove(); }
void LoanPage::Button37Click() { m_editor->saveClicked(); }

void LoanPage::DBGridEh6CellClick(const QModelIndex& index)
{
    if (index.isValid() && m_model->isNewRow(index.row())
        && m_model->raw(index.row(), ColClass).toString() != classLetter())
        m_model->setRaw(index.row(), ColClass, classLetter());
}
