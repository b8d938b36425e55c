#include "ui/BatchEditor.h"

#include "data/Database.h"
#include "data/Journal.h"
#include "data/Money.h"
#include "ui/BatchModel.h"
#include "ui/DataGrid.h"
#include "ui/Msg.h"
#include "ui/Page.h"

BatchEditor::BatchEditor(Page* page, DataGrid* grid, BatchModel* model, Setup setup)
    : QObject(page),
      m_page(page),
      m_grid(grid),
      m_model(model),
      m_s(std::move(setup))
{
    Q_ASSERT(m_s.reread);
    page->addBatchEditor(this);
}

std::function<bool(const QVariant&)> BatchEditor::deleteThrough(QWidget* page,
                                                                std::function<bool(Database&, qint64, DbError*)> remove)
{
    return [page, remove](const QVariant& key) {
        DbError error;
        if (remove(Database::shared(), key.toLongLong(), &error))
            return true;
        Msg::dbError(page, error);  // nothing was deleted
        return false;
    };
}

void BatchEditor::add()
{
    if (m_s.ready && !m_s.ready())
        return;
    const int row = m_model->appendRow(m_s.preset);
    const QModelIndex cell = m_model->index(row, m_s.addColumn);
    if (m_s.focusOnAdd)
        m_grid->setFocus();
    m_grid->setCurrentIndex(cell);
    m_grid->scrollTo(cell);
    if (m_s.editOnAdd)
        m_grid->edit(cell);
}

void BatchEditor::remove()
{
    if (m_s.ready && !m_s.ready())
        return;
    m_grid->commitPendingEdit();
    const int row
        = m_s.deleteRow ? m_s.deleteRow() : (m_grid->currentIndex().isValid() ? m_grid->currentIndex().row() : -1);
    // A row never saved just goes: nothing to ask, nothing to write.
    if (m_model->isNewRow(row)) {
        if (m_s.dropUnsavedRow) {
            // The row that becomes current takes no editor: a stray key would
            // overwrite a saved name.
            const auto triggers = m_grid->editTriggers();
            m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
            m_model->removeRowAt(row);
            m_grid->setEditTriggers(triggers);
        } else if (m_s.mayDelete)
            m_s.mayDelete(row);
        return;
    }
    if (m_s.mayDelete && !m_s.mayDelete(row))
        return;
    if (row < 0)
        return;
    // Taken before the rows are read again.
    const QVariant key = m_model->raw(row, m_s.keyColumn);
    if (!key.isValid())
        return;
    const QString label = m_s.deleteLabel ? m_s.deleteLabel(row) : defaultDeleteLabel(row);
    if (m_s.settleOrder == SettleOrder::BeforeQuestion && !settle())
        return;
    if (m_s.askDelete && !m_s.askDelete(row))
        return;
    if (m_s.settleOrder == SettleOrder::AfterQuestion && !settle())
        return;
    {
        JournalAction action(Database::shared(), label, QString::fromLatin1(ActionKind::Delete));
        if (!action.isActive())
            return Msg::dbError(m_page, action.error());
        if (!m_s.removeSaved(key))
            return;
        if (!action.finish())
            return Msg::dbError(m_page, action.error());
    }
    if (m_s.afterDelete)
        m_s.afterDelete();
    else
        m_s.reread();
}

QString BatchEditor::subject() const { return m_s.subject.isEmpty() ? QStringLiteral("数据") : m_s.subject; }

QString BatchEditor::defaultDeleteLabel(int row) const
{
    // The cell a new row starts in names the row (a name, a date).
    return QStringLiteral("删除%1 %2").arg(subject(), m_model->index(row, m_s.addColumn).data().toString());
}

void BatchEditor::saveClicked()
{
    if (m_s.ready && !m_s.ready())
        return;
    m_grid->commitPendingEdit();
    if (!m_s.askBeforeSave || Msg::confirm(m_page, QStringLiteral("是否确定保存数据？")))
        save();
    else
        discard();
}

bool BatchEditor::save()
{
    m_grid->commitPendingEdit();
    if (!amountsInRange()) {
        Msg::error(m_page, QStringLiteral("对不起，金额超出范围"));
        return false;
    }
    if (m_s.check && !m_s.check())
        return false;
    // The rows count as saved only once the commit is through: a commit the
    // file refuses leaves every edit in the grid.
    Database& db = Database::shared();
    bool extraFailed = false;
    bool ok = false;
    DbError error;
    {
        // One action, one transaction: the rows and the page's extra write.
        JournalAction action(db, QStringLiteral("保存%1 %2 行").arg(subject()).arg(m_model->pendingRowCount()),
                             QString::fromLatin1(ActionKind::Save));
        error = action.error();
        ok = action.isActive() && m_model->writePending(&error);
        if (ok && m_s.extraWrite) {
            ok = m_s.extraWrite(db, &error);
            extraFailed = !ok;
        }
        if (ok && !action.finish()) {
            ok = false;
            error = action.error();
        }
    }  // not finished: rolled back here
    if (!ok) {
        tellFailure(error, extraFailed);
        return false;
    }
    // Read again, so every saved row carries its id.
    return m_s.reread();
}

bool BatchEditor::amountsInRange() const
{
    const Money lowest = m_s.amountsPositive ? Money() : -kMaxRecordAmount;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (!m_model->isMoneyColumn(c) || m_model->isReadOnly(c))
            continue;
        for (int r = 0; r < m_model->rowCount(); ++r) {
            const QVariant v = m_model->raw(r, c);
            if (v.metaType() == QMetaType::fromType<Money>()) {
                const Money m = v.value<Money>();
                if (m > kMaxRecordAmount || m < lowest)
                    return false;
            }
        }
    }
    return true;
}

void BatchEditor::tellFailure(const DbError& error, bool extraFailed)
{
    if (error.isFileFault() || extraFailed)
        return Msg::dbError(m_page, error);
    if (m_s.explain && m_s.explain(error))
        return;
    if (error.kind() == DbError::Kind::Vanished && !m_s.vanished.isEmpty())
        return Msg::error(m_page, m_s.vanished);
    switch (m_s.refusedBox) {
    case Box::Database: return Msg::dbError(m_page, error);
    case Box::Notice: return Msg::notice(m_page, m_s.refused);
    case Box::Error: return Msg::error(m_page, m_s.refused);
    case Box::InfoWithDetail: return Msg::info(m_page, m_s.refused, error);
    }
}

bool BatchEditor::settle()
{
    m_grid->commitPendingEdit();
    if (!m_model->hasEdits())
        return true;
    if (Msg::confirm(m_page, QStringLiteral("是否确定保存数据？")))
        return save();
    discard();
    return true;
}

void BatchEditor::discard() { (void)m_s.reread(); }

bool BatchEditor::hasUnsavedEdits() const
{
    m_grid->commitPendingEdit();
    return m_model->hasEdits();
}

void BatchEditor::dropEdits() { m_model->revertAll(); }
