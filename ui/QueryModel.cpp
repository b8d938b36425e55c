#include "ui/QueryModel.h"

#include "data/Database.h"

QueryModel::QueryModel(QObject* parent) : QAbstractTableModel(parent) {}

bool QueryModel::setQuery(const QString& sql, const Binds& binds, QString* error)
{
    m_sql = sql;
    m_binds = binds;
    return refresh(error);
}

bool ResultTable::load(const QString& sql, const Binds& binds, QString* error)
{
    names.clear();
    money.clear();
    date.clear();
    rows.clear();
    Query q(sql);
    for (const auto& b : binds)
        q.bindValue(b.first, b.second);
    const int n = q.columnCount();
    QVector<bool> isDate(n);
    for (int c = 0; c < n; ++c) {
        names << q.columnName(c);
        const QString type = q.columnDeclType(c).toUpper();
        money << (type == u"MONEY");
        isDate[c] = type == u"DATE";
    }
    date = isDate;
    while (q.next()) {
        QVector<QVariant> row(n);
        for (int c = 0; c < n; ++c) {
            if (q.isNull(c))
                continue;
            if (money[c]) {
                row[c] = QVariant::fromValue(q.money(c));
                continue;
            }
            // Parsed once: a date column of thousands of rows is read in one go.
            const QDate d = isDate[c] ? q.date(c) : QDate();
            row[c] = d.isValid() ? QVariant(d) : q.value(c);
        }
        rows.push_back(row);
    }
    if (!q.ok() || !q.isPrepared()) {
        if (error)
            *error = q.error();
        return false;
    }
    return true;
}

bool loadKeyNames(const QString& sql, const Binds& binds, const QString& keyField, const QString& displayField,
                  KeyNames& items, QString* error)
{
    items.clear();
    Query q(sql);
    for (const auto& b : binds)
        q.bindValue(b.first, b.second);
    const int k = q.columnIndex(keyField), d = q.columnIndex(displayField);
    while (q.next())
        items.append({q.value(k), q.text(d)});
    if (!q.ok() || k < 0 || d < 0) {
        if (error)
            *error = q.ok() ? QStringLiteral("结果中没有列 %1 或 %2").arg(keyField, displayField) : q.error();
        return false;
    }
    return true;
}

bool QueryModel::refresh(QString* error)
{
    beginResetModel();
    const bool ok = m_result.load(m_sql, m_binds, error);
    applyMoneyColumns();
    endResetModel();
    return ok;
}

bool QueryModel::tryQuery(const QString& sql, const Binds& binds, QString* error)
{
    ResultTable fresh;
    if (!fresh.load(sql, binds, error))
        return false;
    beginResetModel();
    m_sql = sql;
    m_binds = binds;
    m_result = std::move(fresh);
    applyMoneyColumns();
    endResetModel();
    return true;
}

void QueryModel::setMoneyColumns(const QStringList& names)
{
    m_moneyNames = names;
    beginResetModel();
    applyMoneyColumns();
    endResetModel();
}

void QueryModel::applyMoneyColumns()
{
    for (const QString& name : std::as_const(m_moneyNames)) {
        const int c = columnIndex(name);
        if (c < 0 || m_money[c])
            continue;
        m_money[c] = true;
        for (auto& row : m_rows)
            if (row[c].isValid())
                row[c] = QVariant::fromValue(Money::fromRaw(row[c].toLongLong()));
    }
}

void QueryModel::setColumnFormat(int column, MoneyFormat format)
{
    m_formats[column] = format;
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::DisplayRole});
}

QVariant QueryModel::raw(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_names.size())
        return QVariant();
    return m_rows[row][column];
}

int QueryModel::columnIndex(const QString& name) const { return indexOfName(m_names, name); }

bool QueryModel::isMoneyColumn(int column) const { return column >= 0 && column < m_money.size() && m_money[column]; }

Money QueryModel::columnSum(int column) const
{
    Money sum;
    for (const auto& row : m_rows)
        if (column >= 0 && column < row.size() && row[column].canConvert<Money>())
            sum += row[column].value<Money>();
    return sum;
}

int QueryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int QueryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_names.size()); }

QString QueryModel::displayText(const QVariant& v, MoneyFormat format)
{
    if (!v.isValid())
        return QString();
    if (v.metaType() == QMetaType::fromType<Money>())
        return format == Yuan ? v.value<Money>().yuan() : v.value<Money>().plain();
    if (v.metaType().id() == QMetaType::QDate)
        return dateText(v.toDate());
    return v.toString();
}

QVariant QueryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole) {
        if (index.column() == m_rowNumberColumn)
            return QString::number(index.row() + 1);
        return displayText(raw(index.row(), index.column()), m_formats.value(index.column(), Plain));
    }
    if (role == Qt::EditRole || role == Qt::UserRole)
        return raw(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && isMoneyColumn(index.column()))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return m_names.value(section);
    return QString::number(section + 1);
}
