#include "ledger/CategoryPicker.h"

#include "ledger/LikePattern.h"
#include "ui/DataGrid.h"
#include "ui/LookupCombo.h"
#include "ui/Msg.h"
#include "ui/Page.h"
#include "ui/QueryModel.h"
#include "ui/Theme.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace {
const char* const kPickerSelect = "select  f_name as 项目 ,f_pinyin as 助记码 ,f_id from v_fenlei where f_class=:c";
enum Col { ColName, ColCode, ColParent };
}

CategoryPicker::CategoryPicker(const QString& classLetter, QWidget* parent)
    : QGroupBox(QStringLiteral("项目分类"), parent),
      m_class(classLetter)
{
    setObjectName(QStringLiteral("GroupBox5"));
    setGeometry(12, 150, 240, 173);
    setStyleSheet(Theme::popupStyle(objectName()));
    Page::label(this, QStringLiteral("项目大类："), QRect(8, 22, 70, 22));
    m_topLevel = Page::lookupCombo(this, "DBLookupComboboxEh3", QRect(78, 22, 154, 22));
    connect(m_topLevel, &LookupCombo::keyChanged, this, &CategoryPicker::DBLookupComboboxEh3Change);
    m_model = new QueryModel(this);
    m_grid = Page::grid(this, "DBGridEh2", QRect(6, 48, 228, 119), m_model);
    m_grid->setFitColumns(true);
    connect(m_grid, &QAbstractItemView::clicked, this, &CategoryPicker::DBGridEh2CellClick);
    m_grid->installEventFilter(this);
    hide();
}

bool CategoryPicker::loadTopLevel(DbError* error)
{
    return m_topLevel->load(QStringLiteral("select id,f_name from s_fenlei where f_id=0 and f_class=:sorz;"),
                            QStringLiteral("id"), QStringLiteral("f_name"), {{":sorz", m_class}}, error);
}

void CategoryPicker::open(const QString& where, const Binds& binds)
{
    show();
    raise();
    Binds all = binds;
    all.prepend({":c", m_class});
    DbError error;
    const bool ok = m_model->setQuery(QString::fromUtf8(kPickerSelect) + where, all, &error);
    m_grid->setColumnHidden(ColParent, true);
    if (!ok)
        return Msg::dbError(this, error);
    // The first row is the one Enter or Tab would take.
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, ColName));
}

void CategoryPicker::moveHighlight(int delta)
{
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    const int row = std::clamp(m_grid->currentIndex().row() + delta, 0, rows - 1);
    m_grid->setCurrentIndex(m_model->index(row, ColName));
}

bool CategoryPicker::takeHighlighted()
{
    if (m_model->rowCount() == 0 || !m_grid->currentIndex().isValid())
        return false;
    DBGridEh2CellClick();
    return true;
}

void CategoryPicker::takeKeysOf(QLineEdit* box, QWidget* next)
{
    m_box = box;
    m_next = next;
    box->installEventFilter(this);
}

bool CategoryPicker::boxKey(int key)
{
    // Open, the picker covers the boxes below the category box: keys act on
    // it, so nothing is typed into a box the user cannot see.
    switch (key) {
    case Qt::Key_Up: moveHighlight(-1); return true;
    case Qt::Key_Down: moveHighlight(1); return true;
    case Qt::Key_Escape: hide(); return true;
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!takeHighlighted())
            hide();
        m_next->setFocus();
        return true;
    default: return false;
    }
}

bool CategoryPicker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_box && event->type() == QEvent::KeyPress && isVisible())
        return boxKey(static_cast<QKeyEvent*>(event)->key());
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return takeHighlighted();
    }
    return QGroupBox::eventFilter(watched, event);
}

void CategoryPicker::openAll() { open(QString(), {}); }

void CategoryPicker::openMatching(const QString& text)
{
    // A missing quick code counts as empty text, so the name alone matches.
    open(QStringLiteral(" and f_name||coalesce(f_pinyin,'') like :k escape '\\'"), {{":k", likePattern(text)}});
}

void CategoryPicker::DBLookupComboboxEh3Change()
{
    open(QStringLiteral(" and f_id=:p"), {{":p", m_topLevel->keyValue()}});
}

void CategoryPicker::DBGridEh2CellClick()
{
    const int row = m_grid->currentIndex().row();
    if (m_model->rowCount() == 0 || row < 0)
        return;
    const qint64 parentId = m_model->raw(row, ColParent).toLongLong();
    const QString name = m_model->raw(row, ColName).toString();
    emit chosen(parentId, name);
    hide();
}
