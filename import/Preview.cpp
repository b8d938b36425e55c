#include "import/Preview.h"

#include "ui/Roles.h"

#include <set>
#include <tuple>

QString classLetter(const StatementLine& l)
{
    return l.kind == StatementLine::Income ? QStringLiteral("S") : QStringLiteral("Z");
}

bool amountInRange(const Money& m) { return m > Money() && m <= kMaxRecordAmount; }

QList<PreviewRow> buildPreview(const PreviewInput& in, const ReadProgress& progress)
{
    QList<PreviewRow> rows;
    // What makes two lines of one file the same.
    using Key = std::tuple<QDate, qint64, QString, QString, QString, QString>;
    std::set<Key> seen;
    for (int i = 0; i < in.lines.size(); ++i) {
        if (progress && i % 4096 == 4095 && !progress(i, in.lines.size()))
            return {};
        PreviewRow r;
        r.line = in.lines[i];
        if (orderStatus(r.line.status) == OrderStatus::NotCompleted) {
            r.status = PreviewRow::NotCompleted;
            rows << r;
            continue;
        }
        if (r.line.error.isEmpty() && !amountInRange(r.line.amount))
            r.line.error = QStringLiteral("金额超出范围");
        if (!r.line.error.isEmpty()) {
            r.status = PreviewRow::Unreadable;
            rows << r;
            continue;
        }
        const QString cls = classLetter(r.line);
        const Key key{r.line.date, r.line.amount.raw(), cls, r.line.memo, r.line.counterparty, r.line.fitid};
        const bool again = !seen.insert(key).second;
        const bool fitidSeen = !r.line.fitid.isEmpty() && in.history.fitids.contains(r.line.fitid);
        r.status = again || fitidSeen || in.stored.value(i) ? PreviewRow::Duplicate : PreviewRow::New;
        r.import = r.status == PreviewRow::New;
        // A counterparty's earlier category, never one of the other class.
        const qint64 earlier = in.history.categoryOf.value(r.line.counterparty);
        if (earlier && in.classOf.value(earlier) == cls) {
            r.categoryId = earlier;
        } else {
            const qint64 fallback = cls == u"S" ? in.defaultIncome : in.defaultExpense;
            r.categoryId = in.classOf.value(fallback) == cls ? fallback : 0;
        }
        rows << r;
    }
    return rows;
}

QString previewStatus(const PreviewRow& r)
{
    QString text;
    switch (r.status) {
    case PreviewRow::New: text = r.line.split ? QStringLiteral("新（拆分）") : QStringLiteral("新"); break;
    case PreviewRow::Duplicate: text = QStringLiteral("可能重复"); break;
    case PreviewRow::NotCompleted: return QStringLiteral("未成交：") + r.line.status;
    case PreviewRow::Unreadable: return unreadableStatus(r.line);
    }
    if (orderStatus(r.line.status) == OrderStatus::Noted)
        text += QStringLiteral("（%1）").arg(r.line.status);
    return text;
}

PreviewModel::PreviewModel(QObject* parent) : QAbstractTableModel(parent) {}

void PreviewModel::setRows(const QList<PreviewRow>& rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

void PreviewModel::setCategories(const QList<CategoryChoice>& categories)
{
    beginResetModel();
    m_categories = categories;
    endResetModel();
}

void PreviewModel::applyDefaults(qint64 expense, qint64 income)
{
    for (int r = 0; r < m_rows.size(); ++r) {
        PreviewRow& row = m_rows[r];
        if (!importable(row) || row.categoryChosen)
            continue;
        const qint64 wanted = row.line.kind == StatementLine::Income ? income : expense;
        const QString cls = classLetter(row.line);
        for (const CategoryChoice& c : std::as_const(m_categories))
            if (c.id == wanted && c.cls == cls)
                row.categoryId = wanted;
    }
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, ColCategory), index(m_rows.size() - 1, ColCategory));
}

void PreviewModel::toggleImport(int row)
{
    if (row < 0 || row >= m_rows.size() || !importable(m_rows[row]))
        return;
    m_rows[row].import = !m_rows[row].import;
    emit dataChanged(index(row, ColImport), index(row, ColImport));
}

QString PreviewModel::categoryName(qint64 id) const
{
    for (const CategoryChoice& c : m_categories)
        if (c.id == id)
            return c.name;
    return QString();
}

int PreviewModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }
int PreviewModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant PreviewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const PreviewRow& r = m_rows.at(index.row());
    // A line the wallet closed still shows the amount it would have had.
    const bool readable = r.line.error.isEmpty();
    if (role == Qt::TextAlignmentRole && index.column() == ColAmount)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Roles::Choices && index.column() == ColCategory && importable(r)) {
        const QString cls = classLetter(r.line);
        QVariantList choices;
        for (const CategoryChoice& c : m_categories)
            if (c.cls == cls)
                choices << QVariant(QVariantList{c.id, c.name});
        return choices;
    }
    // Texts a narrow column cuts are whole in the tool tip.
    if (role == Qt::ToolTipRole
        && (index.column() == ColMemo || index.column() == ColCounterparty || index.column() == ColStatus))
        return data(index, Qt::DisplayRole);
    if (role == Qt::EditRole && index.column() == ColCategory)
        return r.categoryId ? QVariant(r.categoryId) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case ColDate: return r.line.date.isValid() ? r.line.date.toString(Qt::ISODate) : QString();
    case ColAmount: return readable ? r.line.amount.twoDecimals() : QString();
    case ColKind:
        return readable ? (r.line.kind == StatementLine::Income ? QStringLiteral("收入") : QStringLiteral("支出"))
                        : QString();
    case ColMemo: return r.line.memo;
    case ColCounterparty: return r.line.counterparty;
    case ColCategory: return categoryName(r.categoryId);
    case ColStatus: return statusText(index.row());
    case ColImport: return r.import ? QStringLiteral("是") : QStringLiteral("否");
    default: return {};
    }
}

bool PreviewModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != ColCategory || !(flags(index) & Qt::ItemIsEditable))
        return false;
    PreviewRow& r = m_rows[index.row()];
    const QString cls = classLetter(r.line);
    for (const CategoryChoice& c : std::as_const(m_categories))
        if (c.id == value.toLongLong() && c.cls == cls) {
            r.categoryId = c.id;
            r.categoryChosen = true;
            emit dataChanged(index, index);
            return true;
        }
    return false;
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == ColCategory && importable(m_rows.at(index.row())))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const titles[] = {"日期", "金额", "收支", "摘要", "对方", "类别", "状态", "导入"};
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}
