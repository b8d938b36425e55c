#include "ui/DataGrid.h"

#include "ui/TextLimit.h"

#include "data/Clock.h"
#include "data/Money.h"
#include "ui/BatchModel.h"
#include "ui/DateBox.h"
#include "ui/Msg.h"
#include "ui/QueryModel.h"
#include "ui/Roles.h"

#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolTip>

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {
const QColor kCurrentRow(166, 202, 240);
const QColor kFooter(255, 255, 200);
constexpr int kFooterHeight = 22;
constexpr int kEditButtonWidth = 16;

// A look-up editor that drops down a table of key and name. A character
// typed opens the list at the first name that starts with it.
class LookupList : public QComboBox {
public:
    LookupList(const KeyNames& items, const QStringList& titles, QWidget* parent) : QComboBox(parent)
    {
        auto* model = new QStandardItemModel(0, 2, this);
        model->setHorizontalHeaderLabels(titles);
        for (const auto& [key, name] : items) {
            auto* k = new QStandardItem(key.toString());
            k->setData(key, Roles::Value);
            auto* n = new QStandardItem(name);
            n->setData(key, Roles::Value);
            model->appendRow({k, n});
        }
        auto* table = new QTableView(this);
        table->verticalHeader()->hide();
        table->verticalHeader()->setDefaultSectionSize(20);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setShowGrid(false);
        table->setWordWrap(false);
        table->horizontalHeader()->setStretchLastSection(true);
        table->horizontalHeader()->setHighlightSections(false);
        setModel(model);
        setView(table);
        setModelColumn(1);
        table->setColumnWidth(0, 40);
        table->setMinimumWidth(180);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        const QString typed = e->text();
        if (typed.isEmpty() || !typed.at(0).isPrint() || typed.at(0).isSpace())
            return QComboBox::keyPressEvent(e);
        for (int i = 0; i < count(); ++i)
            if (itemText(i).startsWith(typed, Qt::CaseInsensitive)) {
                setCurrentIndex(i);
                break;
            }
        showPopup();
    }
};

// Opens the list or calendar of a cell editor that was opened by its button.
void dropDown(QWidget* editor)
{
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        combo->showPopup();
    } else if (auto* date = qobject_cast<QDateEdit*>(editor)) {
        // The calendar opens where a click on the editor's arrow opens it.
        const QPointF arrow(date->width() - 6, date->height() / 2.0);
        QMouseEvent press(QEvent::MouseButtonPress, arrow, date->mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(date, &press);
    } else if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        line->selectAll();
    }
}

// Paints the current row sky blue, except the focused cell while the grid
// has the keyboard focus.
class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* o, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(o, index);
        auto* view = qobject_cast<const QAbstractItemView*>(o->widget);
        const QModelIndex cur = view ? view->currentIndex() : QModelIndex();
        const bool currentRow = cur.isValid() && cur.row() == index.row();
        const bool focusedCell = view && view->hasFocus() && cur == index;
        if (currentRow && !focusedCell) {
            o->state &= ~QStyle::State_Selected;
            o->state &= ~QStyle::State_HasFocus;
            o->backgroundBrush = kCurrentRow;
            // A colour of the model's own (a red line) stays.
            if (!index.data(Qt::ForegroundRole).isValid())
                o->palette.setColor(QPalette::Text, Qt::black);
        } else if (!focusedCell) {
            o->state &= ~QStyle::State_Selected;
        }
    }

public:
    // Look-up columns choose by name and store the key; text editors keep
    // to the column's width in the database.
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& o, const QModelIndex& i) const override
    {
        auto* grid = qobject_cast<const DataGrid*>(this->parent());
        if (auto* batch = qobject_cast<const BatchModel*>(i.model()); batch && batch->isLookup(i.column())) {
            if (grid && !grid->lookupListTitles(i.column()).isEmpty()) {
                auto* list = new LookupList(batch->lookupItems(i.column()), grid->lookupListTitles(i.column()), parent);
                // Choosing an entry takes it and closes the editor.
                auto* self = const_cast<RowDelegate*>(this);
                QObject::connect(list, &QComboBox::activated, self, [self, list] {
                    emit self->commitData(list);
                    emit self->closeEditor(list, QAbstractItemDelegate::NoHint);
                });
                return list;
            }
            auto* combo = new QComboBox(parent);
            for (const auto& item : batch->lookupItems(i.column()))
                combo->addItem(item.second, item.first);
            return combo;
        }
        if (const QVariant choices = i.data(Roles::Choices); choices.isValid()) {
            auto* combo = new QComboBox(parent);
            for (const QVariant& c : choices.toList())
                combo->addItem(c.toList().value(1).toString(), c.toList().value(0));
            return combo;
        }
        auto* batch = qobject_cast<const BatchModel*>(i.model());
        if (batch && batch->isDateColumn(i.column())) {
            auto* d = new DateBox(parent);
            // The key that opened the editor starts a whole date.
            d->startFreshOnNextKey();
            return d;
        }
        QWidget* w = QStyledItemDelegate::createEditor(parent, o, i);
        auto* e = qobject_cast<QLineEdit*>(w);
        if (e && batch && batch->maxLength(i.column()) > 0)
            TextLimit::apply(e, batch->maxLength(i.column()));
        // Amounts: only what Money::parse can read may be typed.
        if (e && batch && batch->isMoneyColumn(i.column()))
            e->setAttribute(Qt::WA_InputMethodEnabled, false);
        if (e && batch && batch->isMoneyColumn(i.column()))
            e->setValidator(
                new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[+-]?[0-9]*\\.?[0-9]*")), e));
        if (e && grid && grid->isInputMethodClosed(i.column())) {
            e->setAttribute(Qt::WA_InputMethodEnabled, false);
            e->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
        }
        return w;
    }

    // Cells of a column with an edit button keep room for it on the right.
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        auto* grid = qobject_cast<const DataGrid*>(parent());
        if (!grid || !grid->hasEditButton(index.column()) || !(index.flags() & Qt::ItemIsEditable))
            return QStyledItemDelegate::paint(p, option, index);
        const QRect button = DataGrid::editButtonRect(option.rect);
        QStyleOptionViewItem text(option);
        text.rect.setRight(button.left() - 1);
        QStyledItemDelegate::paint(p, text, index);
        p->save();
        p->fillRect(button, QColor(0xf4, 0xee, 0xe2));
        p->setPen(QColor(0xb8, 0xa8, 0x90));
        p->drawRect(button.adjusted(0, 0, -1, -1));
        QStyleOption arrow;
        arrow.initFrom(grid);
        arrow.rect = button.adjusted(3, 0, -3, 0);
        arrow.palette.setColor(QPalette::ButtonText, QColor(0x4a, 0x3a, 0x2a));
        grid->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, p, grid);
        p->restore();
    }

    void setEditorData(QWidget* editor, const QModelIndex& i) const override
    {
        if (auto* d = qobject_cast<QDateEdit*>(editor)) {
            // An empty date offers today; what the editor shows is what the
            // cell gets when it closes.
            const QDate date = i.data(Qt::EditRole).toDate();
            const QSignalBlocker block(d);
            d->setDate(date.isValid() ? date : Clock::today());
            return;
        }
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            const QVariant key = i.data(Qt::EditRole);
            combo->setCurrentIndex(-1);
            for (int n = 0; n < combo->count(); ++n)
                if (key.isValid() && combo->itemData(n).toString() == key.toString())
                    combo->setCurrentIndex(n);
            return;
        }
        QStyledItemDelegate::setEditorData(editor, i);
    }

    // A date editor shows its whole date, also in a narrow column.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& o, const QModelIndex& i) const override
    {
        QStyledItemDelegate::updateEditorGeometry(editor, o, i);
        if (qobject_cast<QDateEdit*>(editor)) {
            QRect r = editor->geometry();
            r.setWidth(std::max(r.width(), editor->sizeHint().width()));
            editor->setGeometry(r);
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& i) const override
    {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            if (combo->currentIndex() >= 0)
                model->setData(i, combo->currentData());
            return;
        }
        if (auto* d = qobject_cast<QDateEdit*>(editor)) {
            // A date still being typed is read first; a refused one leaves
            // the cell as it was.
            if (auto* box = dynamic_cast<DateBox*>(d); box && !box->commitTyping())
                return;
            model->setData(i, d->date());
            return;
        }
        if (auto* e = qobject_cast<QLineEdit*>(editor); e && !model->setData(i, e->text())) {
            // Refused (an amount such as "-" or "."): say why, without a
            // modal box in the middle of closing the editor.
            auto* batch = qobject_cast<const BatchModel*>(model);
            if (!batch || !batch->isMoneyColumn(i.column()))
                return;
            // A number too long to be an amount is told like any amount over
            // the bound, once the editor has closed.
            if (Money::isOversizedNumber(e->text())) {
                QPointer<QWidget> grid = qobject_cast<QWidget*>(parent());
                QTimer::singleShot(0, grid, [grid] {
                    if (grid)
                        Msg::error(grid, QStringLiteral("对不起，金额超出范围"));
                });
                return;
            }
            QToolTip::showText(e->mapToGlobal(QPoint(0, e->height())),
                               QStringLiteral("“%1”不是有效的金额，未保存。").arg(e->text()), e->parentWidget());
            return;
        }
        if (!qobject_cast<QLineEdit*>(editor))
            QStyledItemDelegate::setModelData(editor, model, i);
    }
};
}

class DataGrid::Footer : public QWidget {
public:
    explicit Footer(DataGrid* grid) : QWidget(grid), m_grid(grid) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), kFooter);
        p.setPen(QColor(0xb0, 0xa0, 0x70));
        p.drawLine(0, 0, width(), 0);
        QHeaderView* h = m_grid->horizontalHeader();
        const int offset = m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0;
        const int model = m_grid->model() ? m_grid->model()->columnCount() : 0;
        for (int c = 0; c < model; ++c) {
            if (h->isSectionHidden(c))
                continue;
            const QRect cell(offset + h->sectionViewportPosition(c) + m_grid->frameWidth(), 0, h->sectionSize(c),
                             height());
            p.setPen(QColor(0xd8, 0xcc, 0x9a));
            p.drawLine(cell.right(), 0, cell.right(), height());
            const QString t = m_grid->footerText(c);
            if (t.isEmpty())
                continue;
            p.setPen(Qt::black);
            const bool sum = m_grid->m_footerSum.contains(c);
            p.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignVCenter | (sum ? Qt::AlignRight : Qt::AlignLeft), t);
        }
    }

private:
    DataGrid* m_grid;
};

// Asks the grid's row guard before the current row changes.
class DataGrid::GuardedSelection : public QItemSelectionModel {
public:
    GuardedSelection(QAbstractItemModel* model, DataGrid* grid) : QItemSelectionModel(model, grid), m_grid(grid) {}

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override
    {
        const QModelIndex from = currentIndex();
        if (m_grid->m_rowGuard && from.isValid() && index.isValid() && index.row() != from.row()
            && !m_grid->m_rowGuard(from.row(), index.row())) {
            m_grid->m_rowKept = true;
            return;
        }
        QItemSelectionModel::setCurrentIndex(index, command);
    }

private:
    DataGrid* m_grid;
};

DataGrid::DataGrid(QWidget* parent) : QTableView(parent), m_footer(new Footer(this))
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new RowDelegate(this));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(22);
    verticalHeader()->setMinimumSectionSize(16);
    horizontalHeader()->setHighlightSections(false);
    setAlternatingRowColors(false);
    setWordWrap(false);
    m_footer->hide();
    connect(horizontalHeader(), &QHeaderView::sectionResized, m_footer, qOverload<>(&QWidget::update));
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, m_footer, qOverload<>(&QWidget::update));
}

void DataGrid::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    if (!model)
        return;
    QItemSelectionModel* plain = selectionModel();
    setSelectionModel(new GuardedSelection(model, this));
    delete plain;
    auto refresh = [this] {
        m_footer->update();
        if (hasFooter())
            emit footerTextsChanged();
    };
    connect(model, &QAbstractItemModel::modelReset, this, refresh);
    connect(model, &QAbstractItemModel::dataChanged, this, refresh);
    connect(model, &QAbstractItemModel::rowsInserted, this, refresh);
    connect(model, &QAbstractItemModel::rowsRemoved, this, refresh);
}

void DataGrid::setFooterText(int column, const QString& text)
{
    m_footerText[column] = text;
    layoutFooter();
}

void DataGrid::setFooterSum(int column)
{
    if (!m_footerSum.contains(column))
        m_footerSum << column;
    layoutFooter();
}

void DataGrid::clearFooter()
{
    m_footerText.clear();
    m_footerSum.clear();
    layoutFooter();
}

QColor DataGrid::footerColour() { return kFooter; }

QString DataGrid::footerText(int column) const
{
    if (m_footerSum.contains(column)) {
        if (auto* q = qobject_cast<QueryModel*>(model()))
            return q->columnSum(column).yuan();
        Money sum;
        for (int r = 0; model() && r < model()->rowCount(); ++r) {
            const QVariant v = model()->index(r, column).data(Roles::Value);
            if (v.canConvert<Money>())
                sum += v.value<Money>();
            else if (const auto m = Money::parse(v.toString()))
                sum += *m;
        }
        return sum.yuan();
    }
    return m_footerText.value(column);
}

QStringList DataGrid::footerTexts() const
{
    QStringList out;
    if (!hasFooter() || !model())
        return out;
    for (int c = 0; c < model()->columnCount(); ++c)
        if (!isColumnHidden(c))
            out << footerText(c);
    return out;
}

void DataGrid::setFitColumns(bool fit)
{
    horizontalHeader()->setSectionResizeMode(fit ? QHeaderView::Stretch : QHeaderView::Interactive);
}

void DataGrid::commitPendingEdit()
{
    if (state() != EditingState)
        return;
    // Cell editors are the visible children of the viewport.
    const auto editors = viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* w : editors)
        if (w->isVisible()) {
            commitData(w);
            closeEditor(w, QAbstractItemDelegate::NoHint);
        }
}

void DataGrid::setEditOnAnyPress(bool on) { m_editOnAnyPress = on; }

void DataGrid::setCurrentCell(const QModelIndex& index)
{
    const EditTriggers triggers = editTriggers();
    setEditTriggers(NoEditTriggers);
    setCurrentIndex(index);
    setEditTriggers(triggers);
}

void DataGrid::setRowGuard(std::function<bool(int, int)> guard) { m_rowGuard = std::move(guard); }

void DataGrid::setLookupList(int column, const QString& keyTitle, const QString& nameTitle)
{
    m_lookupLists[column] = QStringList{keyTitle, nameTitle};
}

void DataGrid::setEditButton(int column, bool shown)
{
    shown ? void(m_editButtons.insert(column)) : void(m_editButtons.remove(column));
    viewport()->update();
}

void DataGrid::setInputMethodClosed(int column, bool closed)
{
    closed ? void(m_noInputMethod.insert(column)) : void(m_noInputMethod.remove(column));
}

QRect DataGrid::editButtonRect(const QRect& cell)
{
    return QRect(cell.right() - kEditButtonWidth + 1, cell.top() + 1, kEditButtonWidth - 1, cell.height() - 2);
}

void DataGrid::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const QModelIndex i = indexAt(at);
    const bool onButton = e->button() == Qt::LeftButton && i.isValid() && hasEditButton(i.column())
                          && (i.flags() & Qt::ItemIsEditable) && editButtonRect(visualRect(i)).contains(at);
    if (onButton) {
        e->accept();
        setFocus(Qt::MouseFocusReason);
        setCurrentIndex(i);
        if (currentIndex() != i)
            return;  // the row guard kept the row
        emit clicked(i);
        edit(i);
        if (QWidget* editor = indexWidget(i))
            dropDown(editor);
        return;
    }
    m_rowKept = false;
    QTableView::mousePressEvent(e);
    // A refused move still selected the clicked cell: select the current one again.
    if (m_rowKept && currentIndex().isValid()) {
        const auto rows = selectionBehavior() == SelectRows ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate;
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect | rows);
        m_rowKept = false;
        return;
    }
    m_rowKept = false;
    if (!m_editOnAnyPress || !i.isValid() || !(i.flags() & Qt::ItemIsEditable))
        return;
    // Any button makes the cell current and opens its editor.
    if (currentIndex() != i)
        setCurrentIndex(i);
    if (state() != EditingState)
        edit(i, QAbstractItemView::AllEditTriggers, e);
}

void DataGrid::keyPressEvent(QKeyEvent* e)
{
    // Return that reaches the grid while a cell is edited takes the edit,
    // a list's highlighted entry included.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && state() == EditingState) {
        if (auto* combo = qobject_cast<QComboBox*>(indexWidget(currentIndex())); combo && combo->view()->isVisible()) {
            if (combo->view()->currentIndex().isValid())
                combo->setCurrentIndex(combo->view()->currentIndex().row());
            combo->hidePopup();
        }
        commitPendingEdit();
        e->accept();
        return;
    }
    // Characters that reach the grid while a cell is edited are typed into
    // the editor, as if it had the focus. (An editor that ignores one hands
    // it back here: the guard stops it going round.)
    static bool forwarding = false;
    QWidget* editor = state() == EditingState ? indexWidget(currentIndex()) : nullptr;
    if (editor && !forwarding && !e->text().isEmpty() && e->text().at(0).isPrint()) {
        forwarding = true;
        QCoreApplication::sendEvent(editor->focusProxy() ? editor->focusProxy() : editor, e);
        forwarding = false;
        return;
    }
    QTableView::keyPressEvent(e);
}

void DataGrid::setRowHeight(int pixels) { verticalHeader()->setDefaultSectionSize(pixels); }

void DataGrid::setColumnWidths(const QList<int>& widths)
{
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, widths[c]);
}

void DataGrid::setColumnWidthsAtLeast(const QList<int>& widths, int fillColumn)
{
    const QFontMetrics cellFm(font()), headFm(horizontalHeader()->font());
    for (int c = 0; c < widths.size() && model() && c < model()->columnCount(); ++c) {
        int w = widths[c];
        if (!isColumnHidden(c) && w > 0) {
            // Room for the title, every cell and the footer, so no amount is cut.
            w = std::max(w, headFm.horizontalAdvance(model()->headerData(c, Qt::Horizontal).toString()) + 12);
            // Free text in the fill column may be long; it is not measured.
            for (int r = 0; c != fillColumn && r < model()->rowCount(); ++r)
                w = std::max(w, cellFm.horizontalAdvance(model()->index(r, c).data().toString()) + 8);
            // The footer keeps 4 pixels each side, a cell 3.
            w = std::max(w, cellFm.horizontalAdvance(footerText(c)) + 8);
        }
        setColumnWidth(c, w);
    }
    if (fillColumn < 0 || !model() || fillColumn >= model()->columnCount())
        return;
    int used = 0;
    for (int c = 0; c < model()->columnCount(); ++c)
        if (c != fillColumn && !isColumnHidden(c))
            used += columnWidth(c);
    // The viewport as wide as it gets without scroll bars: the frame, the
    // row header and the footer's margins are off already.
    setColumnWidth(fillColumn, std::max(columnWidth(fillColumn), maximumViewportSize().width() - used));
}

void DataGrid::setWholeRowSelection(bool whole)
{
    setSelectionBehavior(whole ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void DataGrid::setRowNumbers(bool show)
{
    QHeaderView* v = verticalHeader();
    v->setVisible(show);
    v->setDefaultAlignment(Qt::AlignCenter);
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setMinimumWidth(show ? 30 : 0);
}

void DataGrid::updateGeometries()
{
    QTableView::updateGeometries();
    layoutFooter();
}

void DataGrid::layoutFooter()
{
    const bool show = hasFooter();
    // Keep the header's margins and add the footer's room below the rows.
    QMargins m = viewportMargins();
    m.setBottom(show ? kFooterHeight : 0);
    if (m != viewportMargins())
        setViewportMargins(m);
    m_footer->setVisible(show);
    const QRect vp = viewport()->geometry();
    m_footer->setGeometry(frameWidth(), vp.bottom() + 1, width() - 2 * frameWidth(), kFooterHeight);
    m_footer->update();
}

void DataGrid::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    layoutFooter();
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    viewport()->update();
}

void DataGrid::focusInEvent(QFocusEvent* e)
{
    QTableView::focusInEvent(e);
    viewport()->update();
}

void DataGrid::focusOutEvent(QFocusEvent* e)
{
    QTableView::focusOutEvent(e);
    viewport()->update();
}
