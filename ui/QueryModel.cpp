#include "ui/QueryModel.h"

#include "data/Database.h"
#include "ui/Roles.h"

#include <iterator>

QueryModel::QueryModel(QObject* parent) : QAbstractTableModel(parent) {}

bool QueryModel::setQuery(const QString& sql, const Binds& binds, DbError* error)
{
    m_chunked.reset();
    m_sums.clear();
    m_atEnd = true;
    m_sql = sql;
    m_binds = binds;
    return refresh(error);
}

bool QueryModel::setChunkedQuery(const Chunked& query, const Binds& binds, DbError* error)
{
    m_chunked = query;
    m_binds = binds;
    m_sql = QStringLiteral("select %1 from %2 where %3").arg(query.columns, query.source, query.filter);
    return refresh(error);
}

bool QueryModel::readChunk(DbError* error, int rows)
{
    const Chunked& c = *m_chunked;
    const int size = rows > 0 ? rows : c.chunk;
    QString sql = m_sql;
    Binds binds = m_binds;
    static const char* const kKeyParams[] = {":chunk_k0", ":chunk_k1", ":chunk_k2", ":chunk_k3"};
    if (!m_rows.isEmpty()) {
        // Continue after the last row read, in the list's own order.
        QStringList params;
        for (int k = 0; k < c.keys.size() && k < int(std::size(kKeyParams)); ++k) {
            params << QString::fromLatin1(kKeyParams[k]);
            binds.append({kKeyParams[k], m_rows.last().value(c.keyColumns.value(k))});
        }
        sql += QStringLiteral(" and (%1) %2 (%3)")
                   .arg(c.keys.join(u','), QLatin1String(c.descending ? "<" : ">"), params.join(u','));
    }
    const QString order
        = c.descending ? c.keys.join(QLatin1String(" desc,")) + QLatin1String(" desc") : c.keys.join(u',');
    sql += QStringLiteral(" order by %1 limit %2").arg(order, QString::number(size));
    ResultTable chunk;
    if (!chunk.load(sql, binds, error))
        return false;
    if (m_names.isEmpty()) {
        m_names = chunk.names;
        m_money = chunk.money;
        m_result.date = chunk.date;
    }
    m_atEnd = chunk.rows.size() < size;
    if (chunk.rows.isEmpty())
        return true;
    // Inside a reset (the first chunk) the rows simply arrive; later chunks
    // are announced as inserted rows.
    const int first = int(m_rows.size());
    const bool inModel = first > 0;
    if (inModel)
        beginInsertRows(QModelIndex(), first, first + int(chunk.rows.size()) - 1);
    m_rows += chunk.rows;
    applyMoneyColumns();
    if (inModel)
        endInsertRows();
    return true;
}

bool QueryModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && m_chunked && !m_atEnd; }

void QueryModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    DbError error;
    if (!readChunk(&error))
        emit readFailed(error);
}

void QueryModel::fetchMany(int rows)
{
    if (!canFetchMore())
        return;
    DbError error;
    if (!readChunk(&error, rows))
        emit readFailed(error);
}

bool ResultTable::load(const QString& sql, const Binds& binds, DbError* error)
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
                  KeyNames& items, DbError* error)
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
            *error = q.ok() ? DbError(DbError::Kind::Other,
                                      QStringLiteral("结果中没有列 %1 或 %2").arg(keyField, displayField))
                            : q.error();
        return false;
    }
    return true;
}

bool QueryModel::refresh(DbError* error)
{
    if (!m_chunked) {
        beginResetModel();
        const bool ok = m_result.load(m_sql, m_binds, error);
        applyMoneyColumns();
        endResetModel();
        return ok;
    }
    beginResetModel();
    m_result = ResultTable();
    m_sums.clear();
    bool ok = readChunk(error);
    // The footers' sums over the whole filter, in one aggregate.
    const bool ahead = !m_chunked->totalsSource.isEmpty();
    const QString& source = ahead ? m_chunked->totalsSource : m_chunked->source;
    const QString& filter = ahead ? m_chunked->totalsFilter : m_chunked->filter;
    for (auto it = m_chunked->sums.cbegin(); ok && it != m_chunked->sums.cend(); ++it) {
        Query sum(QStringLiteral("select sum(%1) from %2 where %3").arg(it.value(), source, filter));
        for (const auto& b : m_binds)
            sum.bindValue(b.first, b.second);
        switch (sum.fetch()) {
        case Query::Fetch::Row: m_sums[it.key()] = sum.money(0); break;
        case Query::Fetch::NoRow: m_sums[it.key()] = Money(); break;
        case Query::Fetch::Failed:
            if (error)
                *error = sum.error();
            ok = false;
            break;
        }
    }
    if (!ok) {
        m_result = ResultTable();
        m_atEnd = true;
    }
    endResetModel();
    return ok;
}

bool QueryModel::tryQuery(const QString& sql, const Binds& binds, DbError* error)
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
    if (m_chunked && m_sums.contains(column))
        return m_sums.value(column);
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
        return format == Yuan ? v.value<Money>().yuan() : v.value<Money>().twoDecimals();
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
    if (role == Qt::EditRole || role == Roles::Value)
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
