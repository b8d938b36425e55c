#include "ui/BatchModel.h"

#include "data/Database.h"

BatchModel::BatchModel(QObject* parent) : QAbstractTableModel(parent) {}

bool BatchModel::setQuery(const QString& sql, const Binds& binds, const QString& table, const QString& key,
                          QString* error)
{
    m_sql = sql;
    m_binds = binds;
    m_table = table;
    m_key = key;
    return refresh(error);
}

bool BatchModel::refresh(QString* error)
{
    beginResetModel();
    ResultTable result;
    const bool ok = result.load(m_sql, m_binds, error);
    m_names = result.names;
    m_money = result.money;
    m_rows.clear();
    m_deleted.clear();
    for (const auto& values : std::as_const(result.rows))
        m_rows.push_back(Row{values, values, State::Clean});
    endResetModel();
    return ok;
}

void BatchModel::setColumnField(int column, const QString& f) { m_fields[column] = f; }
void BatchModel::setReadOnly(int column, bool ro) { ro ? void(m_readOnly.insert(column)) : void(m_readOnly.remove(column)); }
void BatchModel::setRequired(int column, bool req) { req ? void(m_required.insert(column)) : void(m_required.remove(column)); }
void BatchModel::setMaxLength(int column, int length) { m_maxLength[column] = length; }

bool BatchModel::setLookup(int column, const QString& sql, const QString& keyField, const QString& displayField,
                           QString* error)
{
    QList<QPair<QVariant, QString>> items;
    Query q(sql);
    const int k = q.columnIndex(keyField), d = q.columnIndex(displayField);
    while (q.next())
        items.append({q.value(k), q.text(d)});
    m_lookups[column] = items;
    if (!q.ok() || k < 0 || d < 0) {
        if (error)
            *error = q.ok() ? QStringLiteral("no column %1 or %2").arg(keyField, displayField) : q.error();
        return false;
    }
    return true;
}

void BatchModel::setCalculated(int column, std::function<QVariant(const QVector<QVariant>&)> compute)
{
    m_calculated[column] = std::move(compute);
    m_readOnly.insert(column);
}

QString BatchModel::field(int column) const { return m_fields.value(column, m_names.value(column)); }

int BatchModel::columnIndex(const QString& name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int BatchModel::appendRow()
{
    const int r = int(m_rows.size());
    beginInsertRows({}, r, r);
    Row row;
    row.values.resize(m_names.size());
    row.state = State::New;
    m_rows.push_back(row);
    endInsertRows();
    return r;
}

bool BatchModel::removeRowAt(int row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    beginRemoveRows({}, row, row);
    if (m_rows[row].state != State::New)
        m_deleted.push_back(m_rows[row].original.value(columnIndex(m_key)));
    m_rows.removeAt(row);
    endRemoveRows();
    return true;
}

bool BatchModel::isNewRow(int row) const { return row >= 0 && row < m_rows.size() && m_rows[row].state == State::New; }

bool BatchModel::hasPending() const
{
    if (!m_deleted.isEmpty())
        return true;
    for (const Row& r : m_rows)
        if (r.state != State::Clean)
            return true;
    return false;
}

int BatchModel::savedRowCount() const
{
    int n = 0;
    for (const Row& r : m_rows)
        n += r.state != State::New;
    return n;
}

QVariant BatchModel::raw(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_names.size())
        return QVariant();
    return m_rows[row].values[column];
}

bool BatchModel::setRaw(int row, int column, const QVariant& value)
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_names.size())
        return false;
    Row& r = m_rows[row];
    if (r.values[column] == value && r.values[column].isNull() == value.isNull())
        return true;
    r.values[column] = value;
    if (r.state == State::Clean)
        r.state = State::Changed;
    emit dataChanged(index(row, column), index(row, column));
    emit cellEdited(row, column);
    return true;
}

bool BatchModel::submitAll(QString* error)
{
    Database& db = Database::shared();
    Transaction tx(db);
    auto fail = [&](const QString& e) {
        if (error)
            *error = e;
        return false;  // the transaction rolls back; pending changes stay
    };
    if (!tx.isActive())
        return fail(tx.error());
    const int keyCol = columnIndex(m_key);
    for (const QVariant& key : std::as_const(m_deleted)) {
        Query q(QStringLiteral("delete from %1 where %2=:k").arg(m_table, m_key));
        q.bindValue(":k", key);
        if (!q.exec())
            return fail(q.error());
    }
    auto valueFor = [&](int c, const QVariant& v) -> QVariant {
        if (m_money.value(c)) {
            const bool empty = !v.isValid() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
            if (empty)
                return m_required.contains(c) ? QVariant() : QVariant::fromValue(Money());
            return v;
        }
        return v;
    };
    for (const Row& r : std::as_const(m_rows)) {
        if (r.state == State::Changed) {
            QStringList sets;
            QList<int> cols;
            for (int c = 0; c < m_names.size(); ++c)
                if (c != keyCol && !m_readOnly.contains(c) && (r.values[c] != r.original[c] || r.values[c].isNull() != r.original[c].isNull())) {
                    sets << QStringLiteral("%1=:v%2").arg(field(c)).arg(c);
                    cols << c;
                }
            if (sets.isEmpty())
                continue;
            Query q(QStringLiteral("update %1 set %2 where %3=:k").arg(m_table, sets.join(u','), m_key));
            for (int c : cols)
                q.bindValue(QStringLiteral(":v%1").arg(c).toUtf8().constData(), valueFor(c, r.values[c]));
            q.bindValue(":k", r.original[keyCol]);
            if (!q.exec())
                return fail(q.error());
        } else if (r.state == State::New) {
            QVector<QVariant> values = r.values;
            if (beforeInsert)
                beforeInsert(values);
            // Cells left empty are not named, so the table's defaults apply.
            QStringList fields, params;
            QList<int> cols;
            for (int c = 0; c < m_names.size(); ++c) {
                if (c == keyCol || m_readOnly.contains(c) || !valueFor(c, values[c]).isValid())
                    continue;
                fields << field(c);
                params << QStringLiteral(":v%1").arg(c);
                cols << c;
            }
            Query q(fields.isEmpty() ? QStringLiteral("insert into %1 default values").arg(m_table)
                                     : QStringLiteral("insert into %1 (%2) values (%3)").arg(m_table, fields.join(u','), params.join(u',')));
            for (int c : cols)
                q.bindValue(QStringLiteral(":v%1").arg(c).toUtf8().constData(), valueFor(c, values[c]));
            if (!q.exec())
                return fail(q.error());
        }
    }
    if (!tx.commit())
        return fail(tx.error());
    refresh();
    return true;
}

void BatchModel::revertAll() { refresh(); }

int BatchModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }
int BatchModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_names.size()); }

QVariant BatchModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    QVariant v = raw(index.row(), index.column());
    if (auto calc = m_calculated.find(index.column()); calc != m_calculated.end())
        v = (*calc)(m_rows[index.row()].values);
    if (role == Qt::DisplayRole) {
        if (auto lookup = m_lookups.find(index.column()); lookup != m_lookups.end()) {
            for (const auto& item : *lookup)
                if (v.isValid() && item.first.toString() == v.toString())
                    return item.second;
            return QString();  // a key without a partner shows empty
        }
        return QueryModel::displayText(v);
    }
    if (role == Qt::EditRole)
        return m_money.value(index.column()) ? QVariant(QueryModel::displayText(v)) : v;
    if (role == Qt::TextAlignmentRole && (m_money.value(index.column()) || v.canConvert<Money>()))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

bool BatchModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || m_readOnly.contains(index.column()))
        return false;
    QVariant v = value;
    if (m_money.value(index.column())) {
        const QString text = value.toString().trimmed();
        if (text.isEmpty()) {
            v = QVariant();
        } else {
            const auto m = Money::parse(text);
            if (!m)
                return false;  // not a number: the cell keeps its value
            v = QVariant::fromValue(*m);
        }
    } else if (value.typeId() == QMetaType::QString) {
        QString t = value.toString();
        if (const int max = m_maxLength.value(index.column()))
            t = t.left(max);
        v = t;
    }
    return setRaw(index.row(), index.column(), v);
}

Qt::ItemFlags BatchModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (index.isValid() && !m_readOnly.contains(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant BatchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    return orientation == Qt::Horizontal ? QVariant(m_names.value(section)) : QVariant(QString::number(section + 1));
}
