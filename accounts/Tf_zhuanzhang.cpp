#include "accounts/Tf_zhuanzhang.h"

#include "data/Clock.h"
#include "data/Database.h"
#include "data/Money.h"
#include "data/PlanLinks.h"
#include "data/Transfers.h"
#include "ui/BatchEditor.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {
// Dated rows by date, then in entry order.
const char* const kGridSelect
    = "select id,zh1,zh2,zdate as 转账时间,zXmoney as 转账金额,other as 备注 from s_zhanghistory "
      "where zdate between :t1 and :t2 order by zdate, id";
const char* const kAccounts = "select id,z_name as 账户 from z_zhanghu";
}

Tf_zhuanzhang::Tf_zhuanzhang(QWidget* parent) : Page("f_zhuanzhang", parent)
{
    connect(button(this, "Button38", QStringLiteral("增加"), QRect(6, 8, 60, 26)), &QPushButton::clicked, this,
            &Tf_zhuanzhang::Button38Click);
    connect(button(this, "Button39", QStringLiteral("删除"), QRect(70, 8, 60, 26)), &QPushButton::clicked, this,
            &Tf_zhuanzhang::Button39Click);
    connect(button(this, "Button40", QStringLiteral("保存"), QRect(134, 8, 60, 26)), &QPushButton::clicked, this,
            &Tf_zhuanzhang::Button40Click);
    auto* note = label(this, QStringLiteral("注意：前四项为必填项目。"), QRect(204, 8, 200, 26), "Label1");
    note->setStyleSheet(QStringLiteral("color: #b03a2e;"));
    m_from = dateEdit(this, "DateTimePicker1", QRect(450, 8, 110, 26));
    label(this, QStringLiteral("至"), QRect(564, 8, 16, 26));
    m_to = dateEdit(this, "DateTimePicker2", QRect(580, 8, 110, 26));
    connect(button(this, "Button41", QStringLiteral("查询"), QRect(700, 8, 66, 26)), &QPushButton::clicked, this,
            &Tf_zhuanzhang::Button41Click);
    m_model = new BatchModel(this);
    m_grid = grid(this, "DBGridEh7", QRect(3, 42, kWidth - 6, kHeight - 45), m_model);
    m_grid->setRowHeight(22);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Any mouse button starts editing the row, so typing edits it at once.
    m_grid->setEditOnAnyPress(true);
    buildEditor();
    FormCreate();
}

void Tf_zhuanzhang::FormCreate()
{
    const QDate today = Clock::today();
    m_from->setDate(firstDayOfMonth(today));
    m_to->setDate(today);
    DbError error;
    // The account names are read once: the look-ups outlive each query.
    const bool ok = m_model->setQuery(QString::fromUtf8(kGridSelect), {{":t1", m_from->date()}, {":t2", m_to->date()}},
                                      QStringLiteral("s_zhanghistory"), QStringLiteral("id"), &error)
                    && m_model->insertLookupColumn(ColFromName, QStringLiteral("转出账户"), QStringLiteral("zh1"),
                                                   QString::fromUtf8(kAccounts), QStringLiteral("id"),
                                                   QStringLiteral("账户"), &error)
                    && m_model->insertLookupColumn(ColToName, QStringLiteral("转入账户"), QStringLiteral("zh2"),
                                                   QString::fromUtf8(kAccounts), QStringLiteral("id"),
                                                   QStringLiteral("账户"), &error);
    formatGrid();
    if (!ok)
        Msg::dbError(this, error);
}

bool Tf_zhuanzhang::query()
{
    DbError error;
    const bool ok = m_model->setQuery(QString::fromUtf8(kGridSelect), {{":t1", m_from->date()}, {":t2", m_to->date()}},
                                      QStringLiteral("s_zhanghistory"), QStringLiteral("id"), &error);
    formatGrid();
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

void Tf_zhuanzhang::formatGrid()
{
    // An empty amount is missing, not 0: the database refuses the row.
    m_model->setRequired(ColAmount);
    m_model->setMaxLength(ColRemark, 250);
    for (int c : {ColId, ColFrom, ColTo})
        m_grid->setColumnHidden(c, true);
    // A date beside its drop-down button needs a little more than 90 pixels;
    // the remark gives it back.
    const int date = std::max(90, m_grid->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00")) + 28);
    m_grid->setColumnWidths({0, 0, 0, date, 90, 90, 90, m_grid->width() - 320 - date});
    // The date and the two accounts show their drop-down buttons at all times.
    for (int c : {ColDate, ColFromName, ColToName})
        m_grid->setEditButton(c);
    m_grid->setInputMethodClosed(ColAmount);
}

void Tf_zhuanzhang::buildEditor()
{
    BatchEditor::Setup s;
    s.subject = QStringLiteral("转账");
    s.deleteLabel = [this](int row) {
        auto cell = [&](int c) { return m_model->index(row, c).data().toString(); };
        return QStringLiteral("删除转账 %1 %2→%3 %4")
            .arg(cell(ColDate), cell(ColFromName), cell(ColToName), cell(ColAmount));
    };
    s.keyColumn = ColId;
    s.addColumn = ColDate;
    s.amountsPositive = true;
    s.refusedBox = BatchEditor::Box::Notice;
    s.refused = QStringLiteral("对不起，请选择时间");
    s.vanished = QStringLiteral("对不起，该转账记录已被删除，请点〔查询〕后重新修改");
    // What is missing is said: a date, or the accounts and the amount.
    s.check = [this] {
        for (int r = 0; r < m_model->rowCount(); ++r) {
            if (!m_model->isPendingRow(r))
                continue;
            if (!m_model->raw(r, ColDate).toDate().isValid()) {
                Msg::notice(this, QStringLiteral("对不起，请选择时间"));
                return false;
            }
            const auto missing = [&](int c) {
                const QVariant v = m_model->raw(r, c);
                return !v.isValid() || v.isNull()
                       || (v.metaType() == QMetaType::fromType<Money>() && v.value<Money>() == Money());
            };
            if (missing(ColFrom) || missing(ColTo) || missing(ColAmount)) {
                Msg::notice(this, QStringLiteral("对不起，请选择转出、转入账户并填写金额"));
                return false;
            }
        }
        return true;
    };
    s.reread = [this] { return query(); };
    s.dropUnsavedRow = false;  // 删除 on an unsaved row does nothing
    // A transfer a recurring plan posted: its occurrence is skipped for good,
    // or due again.
    s.askDelete = [this](int row) {
        const qint64 id = m_model->raw(row, ColId).toLongLong();
        DbError error;
        if (!planLinkOf(Database::shared(), Posted::Transfer, id, &m_planLink, &error)) {
            Msg::dbError(this, error);
            return false;
        }
        if (!m_planLink.occurrence)
            return Msg::confirm(this, QStringLiteral("是否确定删除？") + QString::number(id));
        m_planWay = Msg::chooseWay(this, planDeleteQuestion(m_planLink.plan),
                                   {QStringLiteral("标记本期为跳过"), QStringLiteral("恢复为待入账")});
        return m_planWay != 0;
    };
    s.removeSaved = BatchEditor::deleteThrough(this, [this](Database& db, qint64 id, DbError* error) {
        return deleteTransfer(db, id, error)
               && (!m_planLink.occurrence || releaseOccurrence(db, m_planLink.occurrence, m_planWay == 1, error));
    });
    m_editor = new BatchEditor(this, m_grid, m_model, std::move(s));
}

void Tf_zhuanzhang::Button41Click()
{
    if (m_editor->settle())
        query();
}

void Tf_zhuanzhang::Button38Click() { m_editor->add(); }
void Tf_zhuanzhang::Button39Click() { m_editor->remove(); }
void Tf_zhuanzhang::Button40Click() { m_editor->saveClicked(); }
