#include "calendar/Tf_rijiben.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Journal.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/NumberField.h"
#include "ui/Theme.h"

#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
// The month as a date range, so the date index finds the entries; newest
// first, and of one day the one written last first.
const char* const kMonthSql
    = "select id,n_date as 日期,n_info from notebook where n_date between :d1 and :d2 order by n_date desc,id desc";

constexpr int kListWidth = 153;
constexpr int kBarHeight = 34;
}

Tf_rijiben::Tf_rijiben(QWidget* parent) : Page("f_rijiben", parent)
{
    setFont(Theme::songti(12));

    m_model = new BatchModel(this);
    m_grid = grid(this, "DBGridEh1", QRect(0, 0, kListWidth, kHeight), m_model);
    m_grid->setFrameShape(QFrame::NoFrame);
    m_grid->setFitColumns(true);
    m_grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    // Leaving an entry writes what was typed into it; should the database
    // refuse, the entry stays current so nothing typed is lost.
    m_grid->setRowGuard([this](int from, int) { return post(from); });

    const int x = kListWidth + 6;
    connect(button(this, "Button1", QStringLiteral("增加"), QRect(x, 5, 60, 24)), &QPushButton::clicked, this,
            &Tf_rijiben::Button1Click);
    connect(button(this, "Button3", QStringLiteral("删除"), QRect(x + 64, 5, 60, 24)), &QPushButton::clicked, this,
            &Tf_rijiben::Button3Click);
    connect(button(this, "Button4", QStringLiteral("保存"), QRect(x + 128, 5, 60, 24)), &QPushButton::clicked, this,
            &Tf_rijiben::Button4Click);

    // From the right: 查询, the month, "年", the year.
    const int right = kWidth - 6;
    auto* query = button(this, "Button54", QStringLiteral("查询"), QRect(right - 60, 5, 60, 24));
    connect(query, &QPushButton::clicked, this, &Tf_rijiben::Button54Click);
    m_month = new NumberField(1, 12, this);
    m_month->setObjectName(QStringLiteral("SpinEdit4"));
    m_month->setGeometry(right - 60 - 6 - 52, 5, 52, 24);
    label(this, QStringLiteral("年"), QRect(m_month->x() - 20, 5, 16, 24));
    m_year = new NumberField(kFirstYear, kLastYear, this);
    m_year->setObjectName(QStringLiteral("SpinEdit3"));
    m_year->setGeometry(m_month->x() - 20 - 4 - 68, 5, 68, 24);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("DBMemo1"));
    m_memo->setGeometry(x - 2, kBarHeight, kWidth - x - 2, kHeight - kBarHeight - 4);
    connect(m_memo, &QPlainTextEdit::textChanged, this, &Tf_rijiben::memoEdited);

    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &Tf_rijiben::showCurrent);
    FormCreate();
}

Tf_rijiben::~Tf_rijiben()
{
    // The page goes (another entry was chosen, or the program ends): what
    // was typed is written now or never.
    postCurrent();
}

void Tf_rijiben::FormCreate()
{
    const QDate today = Clock::today();
    m_month->setValue(today.month());
    m_year->setValue(today.year());
    Button54Click();
    Button1Click();
}

void Tf_rijiben::FormShow() { m_memo->setFocus(); }

int Tf_rijiben::currentRow() const
{
    const QModelIndex i = m_grid->currentIndex();
    return i.isValid() ? i.row() : -1;
}

bool Tf_rijiben::untouched(int row) const
{
    return m_model->isNewRow(row) && m_model->raw(row, ColInfo).toString().trimmed().isEmpty();
}

QString Tf_rijiben::dayOf(int row) const
{
    const QVariant d = m_model->raw(row, ColDate);
    return d.metaType().id() == QMetaType::QDate ? d.toDate().toString(QStringLiteral("yyyy-MM-dd")) : d.toString();
}

bool Tf_rijiben::post(int row)
{
    if (row < 0 || untouched(row))
        return true;
    DbError error;
    const bool ok = runAction(
        Database::shared(), QStringLiteral("保存日记 %1").arg(dayOf(row)), ActionKind::Save,
        [&](DbError* e) { return m_model->submitRow(row, e); }, &error);
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

bool Tf_rijiben::postCurrent()
{
    m_grid->commitPendingEdit();
    return post(currentRow());
}

void Tf_rijiben::setCurrent(int row)
{
    if (row >= 0 && row < m_model->rowCount())
        m_grid->setCurrentCell(m_model->index(row, ColDate));
    showCurrent();
}

void Tf_rijiben::showCurrent()
{
    const int row = currentRow();
    m_showing = true;
    m_memo->setPlainText(row >= 0 ? m_model->raw(row, ColInfo).toString() : QString());
    m_showing = false;
    // Writing goes on at the end of what is there.
    m_memo->moveCursor(QTextCursor::End);
    // Without an entry there is nothing to write into.
    m_memo->setReadOnly(row < 0);
}

void Tf_rijiben::memoEdited()
{
    const int row = currentRow();
    if (m_showing || row < 0)
        return;
    m_model->setRaw(row, ColInfo, m_memo->toPlainText());
}

void Tf_rijiben::Button54Click()
{
    if (!postCurrent())
        return;
    const QDate first(m_year->settledValue(), m_month->settledValue(), 1);
    DbError error;
    const bool ok = m_model->setQuery(QString::fromUtf8(kMonthSql), {{":d1", first}, {":d2", lastDayOfMonth(first)}},
                                      QStringLiteral("notebook"), QStringLiteral("id"), &error);
    m_grid->setColumnHidden(ColId, true);
    m_grid->setColumnHidden(ColInfo, true);
    if (!ok)
        Msg::dbError(this, error);
    setCurrent(0);
}

void Tf_rijiben::Button1Click()
{
    if (!postCurrent())
        return;
    // An entry left without text gives way to the new one.
    for (int r = m_model->rowCount() - 1; r >= 0; --r)
        if (untouched(r))
            m_model->removeRowAt(r);
    const int row = m_model->insertNewRow(0);
    m_model->setRaw(row, ColDate, Clock::today());
    setCurrent(row);
    m_memo->setFocus();
}

void Tf_rijiben::Button3Click()
{
    int row = currentRow();
    if (row < 0)
        return;
    m_grid->commitPendingEdit();
    if (m_model->isNewRow(row)) {
        m_model->removeRowAt(row);  // never written: nothing to delete
        setCurrent(std::min(row, m_model->rowCount() - 1));
        return;
    }
    // A written entry goes only when the user says so: a second press meant
    // for the blank entry must not take it.
    if (!Msg::confirm(this, QStringLiteral("是否确定删除？")))
        return;
    // The write below takes every pending row: an untyped new one must not go with it.
    for (int r = m_model->rowCount() - 1; r >= 0; --r)
        if (untouched(r))
            m_model->removeRowAt(r);
    row = currentRow();
    const QString label = QStringLiteral("删除日记 %1").arg(dayOf(row));
    m_model->removeRowAt(row);
    DbError error;
    if (!runAction(
            Database::shared(), label, ActionKind::Delete, [&](DbError* e) { return m_model->submitAll(e); }, &error)) {
        Msg::dbError(this, error);
        m_model->revertAll();
    }
    setCurrent(std::min(row, m_model->rowCount() - 1));
}

void Tf_rijiben::Button4Click() { postCurrent(); }
