#include "ledger/CategoryPage.h"

#include "data/Categories.h"
#include "data/Database.h"
#include "data/GridFixups.h"
#include "ledger/PinYin.h"
#include "ui/BatchEditor.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/SafetyCopy.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Top list columns: id, f_class, 项目大类. Sub list: id, f_id, f_class, 项目名称, 快速代码.
enum TopCol { TopId, TopClass, TopName };
enum SubCol { SubId, SubParent, SubClass, SubName, SubCode };

// The two button rows: the top list's on the left, the sub list's on the right.
QRect buttonAt(int x) { return QRect(x, 8, 60, 26); }

}

CategoryPage::CategoryPage(const CategoryTraits& traits, QWidget* parent) : Page(traits.objectName, parent), m_t(traits)
{
    buildButtons();
    buildGrids();
    buildEditors();

    // Invisible boxes that follow the current sub-category row.
    m_name = lineEdit(this, "DBEditEh1", QRect());
    m_name->hide();
    m_code = lineEdit(this, "DBEditEh2", QRect());
    m_code->hide();
    connect(m_name, &QLineEdit::textChanged, this, &CategoryPage::DBEditEh1Change);

    // Typed sub-categories belong to the current top row: settle them before it moves.
    m_topGrid->setRowGuard([this](int, int) { return m_subEditor->settle(); });
    connect(m_topGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CategoryPage::ADOQuery9AfterScroll);
    connect(m_sub, &BatchModel::cellEdited, this, [this](int row, int col) {
        if (col == SubName && row == currentRow(m_subGrid))
            m_name->setText(m_sub->raw(row, SubName).toString());
        if (col == SubName && row != currentRow(m_subGrid)) {
            const QString code = MakeQuickCode(m_sub->raw(row, SubName).toString());
            if (!code.isEmpty())
                m_sub->setRaw(row, SubCode, code);
        }
    });
    connect(m_subGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        const int row = currentRow(m_subGrid);
        const QSignalBlocker b(m_name);
        m_name->setText(m_sub->raw(row, SubName).toString());
        m_code->setText(m_sub->raw(row, SubCode).toString());
    });

    // New rows get their class letter (and parent) when they are written,
    // whether or not the grid was clicked first.
    m_top->beforeInsert = [this](QVector<QVariant>& v) { v[TopClass] = classLetter(); };
    m_sub->beforeInsert = [this](QVector<QVariant>& v) {
        v[SubClass] = classLetter();
        if (!v[SubParent].isValid() || v[SubParent].toLongLong() == 0)
            v[SubParent] = m_topId.toLongLong();
    };
    // Another copy of the program may have deleted the parent meanwhile: a
    // row under it would show in no list and hold its name for ever.
    m_sub->setInsertCondition(QStringLiteral("exists (select 1 from s_fenlei where id=:f_id and f_id=0)"));
    FormCreate();
}

void CategoryPage::buildButtons()
{
    connect(button(this, "Button29", QStringLiteral("增加"), buttonAt(6)), &QPushButton::clicked, this,
            &CategoryPage::Button29Click);
    connect(button(this, "Button30", QStringLiteral("删除"), buttonAt(70)), &QPushButton::clicked, this,
            &CategoryPage::Button30Click);
    connect(button(this, "Button31", QStringLiteral("保存"), buttonAt(134)), &QPushButton::clicked, this,
            &CategoryPage::Button31Click);
    auto* note = label(this, QStringLiteral("注意：大类添加保存后，再添加小类"), QRect(204, 8, 300, 26), "Label1");
    note->setStyleSheet(QStringLiteral("color: #b03a2e;"));
    connect(button(this, "Button32", QStringLiteral("增加"), buttonAt(575)), &QPushButton::clicked, this,
            &CategoryPage::Button32Click);
    connect(button(this, "Button33", QStringLiteral("删除"), buttonAt(639)), &QPushButton::clicked, this,
            &CategoryPage::Button33Click);
    connect(button(this, "Button34", QStringLiteral("保存"), buttonAt(703)), &QPushButton::clicked, this,
            &CategoryPage::Button34Click);
}

void CategoryPage::buildGrids()
{
    m_top = new BatchModel(this);
    m_sub = new BatchModel(this);
    m_topGrid = grid(this, "DBGridEh4", QRect(3, 42, 249, 441), m_top);
    m_topGrid->setFitColumns(true);
    m_topGrid->setRowHeight(22);
    m_topGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_topGrid->setToolTip(QStringLiteral("先点〔增加〕输入内容 再 〔保存〕"));
    m_topGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_subGrid = grid(this, "DBGridEh5", QRect(256, 42, 514, 441), m_sub);
    m_subGrid->setFitColumns(true);
    m_subGrid->setRowHeight(22);
    m_subGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_subGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_topGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
}

int CategoryPage::currentRow(DataGrid* grid) const
{
    return grid->currentIndex().isValid() ? grid->currentIndex().row() : -1;
}

bool CategoryPage::openTop()
{
    DbError error;
    const bool ok = m_top->setQuery(
        QStringLiteral(
            "select id,f_class,f_name as 项目大类 from s_fenlei where f_id=0 and f_class=:fenlei order by id"),
        {{":fenlei", classLetter()}}, QStringLiteral("s_fenlei"), QStringLiteral("id"), &error);
    m_top->setColumnField(TopName, QStringLiteral("f_name"));
    m_top->setMaxLength(TopName, 50);
    m_topGrid->setColumnHidden(TopId, true);
    m_topGrid->setColumnHidden(TopClass, true);
    if (m_top->rowCount() > 0) {
        const QSignalBlocker b(m_topGrid->selectionModel());
        m_topGrid->setCurrentIndex(m_top->index(0, TopName));
    }
    m_topId = m_top->rowCount() > 0 ? m_top->raw(0, TopId).toString() : QString();
    if (!ok)
        Msg::dbError(this, error);
    return ok;
}

bool CategoryPage::openSub()
{
    // A new top-level row has no id yet: its sub list stays closed.
    DbError error;
    const bool ok = m_sub->setQuery(QStringLiteral("select id,f_id,f_class,f_name as 项目名称,f_pinyin as 快速代码 "
                                                   "from s_fenlei where  f_id=:fid order by id"),
                                    {{":fid", m_topId.isEmpty() ? QStringLiteral("-1") : m_topId}},
                                    QStringLiteral("s_fenlei"), QStringLiteral("id"), &error);
    if (!ok) {
        Msg::dbError(this, error);
        return false;
    }
    m_sub->setColumnField(SubName, QStringLiteral("f_name"));
    m_sub->setColumnField(SubCode, QStringLiteral("f_pinyin"));
    m_sub->setMaxLength(SubName, 50);
    m_sub->setMaxLength(SubCode, 50);
    for (int c : {SubId, SubParent, SubClass})
        m_subGrid->setColumnHidden(c, true);
    if (!m_topId.isEmpty() && m_sub->rowCount() == 0)
        m_sub->appendRow();
    // Only the current row: opening no editor keeps the focus where it is.
    if (m_sub->rowCount() > 0)
        m_subGrid->setCurrentCell(m_sub->index(0, SubName));
    return true;
}

bool CategoryPage::reload() { return openTop() && openSub(); }

void CategoryPage::FormCreate()
{
    if (!reload())
        return;
    if (m_t.blankRowWhenEmpty && m_top->rowCount() == 0)
        Button29Click();
    // Rows a crash left without a class are never shown: drop them. Looked
    // for first, so a file that cannot be written still opens the page quietly.
    Query left(QStringLiteral("select count(*) from s_fenlei where f_id=0 and f_class is null"));
    if (left.fetch() == Query::Fetch::Failed)
        return Msg::dbError(this, left.error());
    if (left.integer(0) == 0)
        return;
    left.reset();
    Query purge(QStringLiteral("delete from s_fenlei where f_id=0 and f_class is null"));
    if (!purge.exec())
        Msg::dbError(this, purge.error());
}

void CategoryPage::ADOQuery9AfterScroll()
{
    const int row = currentRow(m_topGrid);
    m_topId = row >= 0 && !m_top->isNewRow(row) ? m_top->raw(row, TopId).toString() : QString();
    openSub();
}

QString CategoryPage::deleteLabel(BatchModel* model, int idColumn, int nameColumn, int row, bool top)
{
    Query count(top ? QStringLiteral("select count(*) from s_shouru where f_fenleiid=:id or f_fenleiid in "
                                     "(select id from s_fenlei where f_id=:id)")
                    : QStringLiteral("select count(*) from s_shouru where f_fenleiid=:id"));
    count.bind(":id", model->raw(row, idColumn).toLongLong());
    QVariant n;
    if (count.scalar(&n) == Query::Fetch::Failed)
        Msg::dbError(this, count.error());  // the count is only the label's
    m_deleteRows = n.toLongLong();
    return QStringLiteral("删除类别“%1”及其 %2 笔记录").arg(model->raw(row, nameColumn).toString()).arg(m_deleteRows);
}

bool CategoryPage::askDelete(const QString& question)
{
    // Too many rows to keep for undo: a verified copy of the file instead.
    return confirmWithCopy(this, question, m_deleteRows, QStringLiteral("删除"), QStringLiteral("删除类别前"));
}

void CategoryPage::buildEditors()
{
    const QString refused = QStringLiteral("错误！不能有空行和重复的项目名称。");
    const QString question = QStringLiteral("删除该分类，会删除该分类下所有记账信息！");
    // The sub list first: its rows belong to the current top row, so they
    // are saved before the top list is read again.
    BatchEditor::Setup sub;
    sub.keyColumn = SubId;
    sub.addColumn = SubName;
    sub.focusOnAdd = sub.editOnAdd = false;
    sub.refusedBox = BatchEditor::Box::Notice;
    sub.refused = refused;
    sub.settleOrder = BatchEditor::SettleOrder::BeforeQuestion;
    sub.reread = [this] { return openSub(); };
    // A row that is gone: its own category, or the parent of new rows.
    sub.explain = [this](const DbError& error) {
        if (error.kind() != DbError::Kind::Vanished)
            return false;
        Query parent(QStringLiteral("select count(*) from s_fenlei where id=:id and f_id=0"));
        parent.bind(":id", m_topId.toLongLong());
        QVariant found;
        if (parent.scalar(&found) == Query::Fetch::Failed)
            Msg::dbError(this, parent.error());
        else if (found.toLongLong() == 0)
            Msg::error(this, QStringLiteral("对不起，该大类已被删除，请刷新后重新添加"));
        else
            Msg::error(this, QStringLiteral("对不起，该类别已被删除，请刷新后重新修改"));
        return true;
    };
    sub.subject = QStringLiteral("类别");
    sub.deleteLabel = [this](int row) { return deleteLabel(m_sub, SubId, SubName, row, false); };
    sub.askDelete = [this, question](int) { return askDelete(question); };
    sub.removeSaved = BatchEditor::deleteThrough(this, deleteSubCategory);
    sub.afterDelete = [this] {
        if (m_top->rowCount() == 0)
            return;
        const int top = currentRow(m_topGrid);
        m_topId = top >= 0 && !m_top->isNewRow(top) ? m_top->raw(top, TopId).toString() : QString();
        openSub();
    };
    m_subEditor = new BatchEditor(this, m_subGrid, m_sub, std::move(sub));

    BatchEditor::Setup top;
    top.keyColumn = TopId;
    top.addColumn = TopName;
    top.focusOnAdd = top.editOnAdd = false;
    top.refusedBox = BatchEditor::Box::Notice;
    top.refused = refused;
    top.vanished = QStringLiteral("对不起，该类别已被删除，请刷新后重新修改");
    top.settleOrder = BatchEditor::SettleOrder::BeforeQuestion;
    // Every button of the top list reads the sub list again.
    top.ready = [this] { return m_subEditor->settle(); };
    // New expenditure categories get their budget rows in the same transaction.
    top.extraWrite = addMissingBudgetRows;
    // The keyboard stays in the top list: typing never lands in a sub name.
    top.reread = [this] {
        if (!reload())
            return false;
        m_topGrid->setFocus(Qt::OtherFocusReason);
        return true;
    };
    // Saved categories only: a blank new row cannot stand in for the last one.
    top.mayDelete = [this](int) {
        if (m_top->savedRowCount() > 1)
            return true;
        Msg::error(this, QStringLiteral("错误提示：至少保留一个类别！"));
        return false;
    };
    top.subject = QStringLiteral("类别");
    top.deleteLabel = [this](int row) { return deleteLabel(m_top, TopId, TopName, row, true); };
    top.askDelete = [this, question](int) { return askDelete(question); };
    top.removeSaved = BatchEditor::deleteThrough(this, deleteTopCategory);
    top.afterDelete = [this] { (void)reload(); };  // a failing read is shown
    m_topEditor = new BatchEditor(this, m_topGrid, m_top, std::move(top));
}

void CategoryPage::Button29Click() { m_topEditor->add(); }
void CategoryPage::Button30Click() { m_topEditor->remove(); }
void CategoryPage::Button31Click() { m_topEditor->saveClicked(); }

void CategoryPage::Button32Click()
{
    if (!m_topId.isEmpty())  // else: save the top-level category first
        m_subEditor->add();
}

void CategoryPage::Button33Click() { m_subEditor->remove(); }
void CategoryPage::Button34Click() { m_subEditor->saveClicked(); }

void CategoryPage::DBEditEh1Change()
{
    const int row = currentRow(m_subGrid);
    if (row < 0)
        return;
    const QString code = MakeQuickCode(m_name->text());
    if (!code.isEmpty()) {
        m_sub->setRaw(row, SubCode, code);
        m_code->setText(code);
    }
}
