#include "ui/BatchModel.h"

#include "ui/TextLimit.h"

#include "data/Database.h"

#include <algorithm>

namespace {
bool differs(const QVariant& a, const QVariant& b) { return a != b || a.isNull() != b.isNull(); }

bool isBlank(const QVariant& v)
{
    return !v.isValid() || v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
}
}

BatchModel::BatchModel(QObject* parent) : QAbstractTableModel(parent) {}

bool BatchModel::setQuery(const QString& sql, const Binds& binds, const QString& table, const QString& key,
                          DbError* error)
{
    m_sql = sql;
    m_binds = binds;
    m_table = table;
    m_key = key;
    return refresh(error);
}

bool BatchModel::refresh(DbError* error)
{
    beginResetModel();
    ResultTable result;
    const bool ok = result.load(m_sql, m_binds, error);
    m_names = result.names;
    m_money = result.money;
    m_dates = result.date;
    m_origin = originFields();
    m_virtual.clear();
    for (const ExtraLookup& x : std::as_const(m_extra)) {
        const int at = std::clamp(x.position, 0, int(m_names.size()));
        m_names.insert(at, x.title);
        m_origin.insert(at, QString());
        m_money.insert(at, false);
        m_dates.insert(at, false);
        for (auto& values : result.rows)
            values.insert(at, QVariant());
        m_virtual.insert(at);
    }
    m_rows.clear();
    m_deleted.clear();
    for (const auto& values : std::as_const(result.rows))
        m_rows.push_back(Row{values, values, State::Clean});
    endResetModel();
    return ok;
}

void BatchModel::setColumnField(int column, const QString& f) { m_fields[column] = f; }
void BatchModel::setReadOnly(int column, bool ro)
{
    ro ? void(m_readOnly.insert(column)) : void(m_readOnly.remove(column));
}
void BatchModel::setRequired(int column, bool req)
{
    req ? void(m_required.insert(column)) : void(m_required.remove(column));
}
void BatchModel::setMaxLength(int column, int length) { m_maxLength[column] = length; }

bool BatchModel::setLookup(int column, const QString& sql, const QString& keyField, const QString& displayField,
                           DbError* error)
{
    KeyNames items;
    const bool ok = loadKeyNames(sql, {}, keyField, displayField, items, error);
    m_lookups[column] = items;
    return ok;
}

bool BatchModel::insertLookupColumn(int position, const QString& title, const QString& keyColumn, const QString& sql,
                                    const QString& keyField, const QString& displayField, DbError* error)
{
    KeyNames items;
    const bool ok = loadKeyNames(sql, {}, keyField, displayField, items, error);
    // Settings of columns at or right of the new one move with them.
    auto shift = [position](auto& hash) {
        std::remove_reference_t<decltype(hash)> moved;
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            moved.insert(it.key() >= position ? it.key() + 1 : it.key(), it.value());
        hash = moved;
    };
    auto shiftSet = [position](QSet<int>& set) {
        QSet<int> moved;
        for (int c : std::as_const(set))
            moved.insert(c >= position ? c + 1 : c);
        set = moved;
    };
    shift(m_fields);
    shift(m_maxLength);
    shift(m_formats);
    shift(m_lookups);
    shift(m_lookupTarget);
    shift(m_calculated);
    shiftSet(m_readOnly);
    shiftSet(m_required);
    for (ExtraLookup& x : m_extra)
        if (x.position >= position)
            ++x.position;
    m_extra.append({position, title, keyColumn});
    std::sort(m_extra.begin(), m_extra.end(),
              [](const ExtraLookup& a, const ExtraLookup& b) { return a.position < b.position; });
    m_lookups[position] = items;
    m_lookupTarget[position] = keyColumn;
    // The first error is the one reported.
    const bool shown = refresh(ok ? error : nullptr);
    return ok && shown;
}

int BatchModel::lookupTarget(int column) const
{
    const auto it = m_lookupTarget.find(column);
    return it == m_lookupTarget.end() ? column : columnIndex(*it);
}

void BatchModel::setCalculated(int column, std::function<QVariant(const QVector<QVariant>&)> compute)
{
    m_calculated[column] = std::move(compute);
    m_readOnly.insert(column);
}

QString BatchModel::field(int column) const { return m_fields.value(column, m_origin.value(column)); }

QStringList BatchModel::originFields() const
{
    // The table column behind each result column, so that aliases such as
    // "zdate as 转账时间" write to zdate; expressions and other tables' columns
    // have none.
    QStringList out;
    Query q(m_sql);
    if (!q.isPrepared())
        return out;
    for (int c = 0; c < q.columnCount(); ++c) {
        const bool ours = q.columnTable(c).compare(m_table, Qt::CaseInsensitive) == 0 && !q.columnOrigin(c).isEmpty();
        out << (ours ? q.columnOrigin(c) : QString());
    }
    return out;
}

int BatchModel::columnIndex(const QString& name) const { return indexOfName(m_names, name); }

int BatchModel::appendRow(const QHash<int, QVariant>& preset) { return insertNewRow(int(m_rows.size()), preset); }

int BatchModel::insertNewRow(int position, const QHash<int, QVariant>& preset)
{
    const int r = std::clamp(position, 0, int(m_rows.size()));
    beginInsertRows({}, r, r);
    Row row;
    row.values.resize(m_names.size());
    for (auto it = preset.begin(); it != preset.end(); ++it)
        if (it.key() >= 0 && it.key() < row.values.size())
            row.values[it.key()] = it.value();
    row.original = row.values;
    row.state = State::New;
    m_rows.insert(r, row);
    endInsertRows();
    return r;
}

bool BatchModel::removeRowAt(int row)
{
    if (row < 0 || row >= m_rows.size())
        return false;
    beginRemoveRows({}, row, row);
    if (m_rows[row].state != State::New)
        m_deleted.push_back(m_rows[row].original.value(keyColumn()));
    m_rows.removeAt(row);
    endRemoveRows();
    return true;
}

bool BatchModel::isNewRow(int row) const { return row >= 0 && row < m_rows.size() && m_rows[row].state == State::New; }

bool BatchModel::isPendingRow(int row) const
{
    return row >= 0 && row < m_rows.size() && m_rows[row].state != State::Clean;
}

bool BatchModel::hasPending() const
{
    if (!m_deleted.isEmpty())
        return true;
    for (const Row& r : m_rows)
        if (r.state != State::Clean)
            return true;
    return false;
}

int BatchModel::pendingRowCount() const
{
    int n = int(m_deleted.size());
    for (const Row& r : m_rows)
        n += r.state != State::Clean;
    return n;
}

bool BatchModel::hasEdits() const
{
    if (!m_deleted.isEmpty())
        return true;
    for (const Row& r : m_rows)
        for (int c = 0; c < r.values.size(); ++c) {
            if (r.state == State::New && !isBlank(r.values[c]) && differs(r.values[c], r.original.value(c)))
                return true;
            if (r.state == State::Changed && differs(r.values[c], r.original[c]))
                return true;
        }
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

QVariant BatchModel::originalRaw(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_rows[row].original.size())
        return QVariant();
    return m_rows[row].original[column];
}

int BatchModel::keyColumn() const
{
    // The key by its name, or the column read from it under an alias.
    const int byName = columnIndex(m_key);
    return byName >= 0 ? byName : int(m_origin.indexOf(m_key));
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
    // Look-up names and calculated cells of the row depend on it too.
    emit dataChanged(index(row, 0), index(row, int(m_names.size()) - 1));
    emit cellEdited(row, column);
    return true;
}

bool BatchModel::submitAll(DbError* error)
{
    Transaction tx(Database::shared());
    if (!tx.isActive())
        return failWith(error, tx.error());
    // On failure the transaction rolls back; pending changes stay.
    if (!writePending(error))
        return false;
    if (!tx.commit())
        return failWith(error, tx.error());
    // The rows are written; a failing re-read leaves the grid empty and the
    // page's next refresh reports it.
    (void)refresh();
    return true;
}

bool BatchModel::writePending(DbError* error)
{
    for (const QVariant& key : std::as_const(m_deleted)) {
        Query q(QStringLiteral("delete from %1 where %2=:k").arg(m_table, m_key));
        q.bindValue(":k", key);
        if (!q.exec())
            return failWith(error, q.error());
        if (Database::shared().changes() == 0)
            return failWith(error, DbError(DbError::Kind::Vanished, goneMessage(key)));
    }
    for (const Row& r : std::as_const(m_rows))
        if (!writeRow(r, error))
            return false;
    return true;
}

bool BatchModel::failWith(DbError* error, const DbError& why)
{
    if (error)
        *error = why;
    return false;
}

QString BatchModel::goneMessage(const QVariant& key) const
{
    return QStringLiteral("%1 中 %2=%3 的行已被删除").arg(m_table, m_key, key.toString());
}

QVariant BatchModel::valueFor(int c, const QVariant& v) const
{
    if (m_money.value(c)) {
        const bool empty = !v.isValid() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
        if (empty)
            return m_required.contains(c) ? QVariant() : QVariant::fromValue(Money());
    }
    return v;
}

bool BatchModel::writeRow(const Row& r, DbError* error)
{
    Database& db = Database::shared();
    const int keyCol = keyColumn();
    if (r.state == State::Changed) {
        QStringList sets;
        QList<int> cols;
        for (int c = 0; c < m_names.size(); ++c)
            if (c != keyCol && writable(c) && differs(r.values[c], r.original[c])) {
                sets << QStringLiteral("%1=:v%2").arg(field(c)).arg(c);
                cols << c;
            }
        if (sets.isEmpty())
            return true;
        Query q(QStringLiteral("update %1 set %2 where %3=:k").arg(m_table, sets.join(u','), m_key));
        for (int c : cols)
            q.bindValue(QStringLiteral(":v%1").arg(c).toUtf8().constData(), valueFor(c, r.values[c]));
        q.bindValue(":k", r.original[keyCol]);
        if (!q.exec())
            return failWith(error, q.error());
        if (db.changes() == 0)
            return failWith(error, DbError(DbError::Kind::Vanished, goneMessage(r.original[keyCol])));
    } else if (r.state == State::New) {
        QVector<QVariant> values = r.values;
        if (beforeInsert)
            beforeInsert(values);
        // Cells left empty are not named, so the table's defaults apply.
        QStringList fields, params;
        QList<int> cols;
        for (int c = 0; c < m_names.size(); ++c) {
            if (c == keyCol || !writable(c) || !valueFor(c, values[c]).isValid())
                continue;
            fields << field(c);
            params << QStringLiteral(":v%1").arg(c);
            cols << c;
        }
        QString sql;
        if (m_insertCondition.isEmpty())
            sql = fields.isEmpty() ? QStringLiteral("insert into %1 default values").arg(m_table)
                                   : QStringLiteral("insert into %1 (%2) values (%3)")
                                         .arg(m_table, fields.join(u','), params.join(u','));
        else if (fields.isEmpty())  // the key alone: a null one is assigned
            sql = QStringLiteral("insert into %1 (%2) select null where %3").arg(m_table, m_key, m_insertCondition);
        else
            sql = QStringLiteral("insert into %1 (%2) select %3 where %4")
                      .arg(m_table, fields.join(u','), params.join(u','), m_insertCondition);
        Query q(sql);
        for (int c : cols)
            q.bindValue(QStringLiteral(":v%1").arg(c).toUtf8().constData(), valueFor(c, values[c]));
        // The condition names the row's values by their table columns.
        for (int c = 0; c < m_names.size() && !m_insertCondition.isEmpty(); ++c)
            if (!m_virtual.contains(c) && !field(c).isEmpty())
                q.bindValue((u':' + field(c)).toUtf8().constData(), valueFor(c, values[c]));
        if (!q.exec())
            return failWith(error, q.error());
        if (!m_insertCondition.isEmpty() && db.changes() == 0)
            return failWith(error,
                            DbError(DbError::Kind::Vanished,
                                    QStringLiteral("%1 的新行未写入：%2 不成立").arg(m_table, m_insertCondition)));
    }
    return true;
}

bool BatchModel::submitRow(int row, DbError* error)
{
    if (row < 0 || row >= m_rows.size())
        return true;
    Row& r = m_rows[row];
    if (r.state == State::Clean)
        return true;
    Transaction tx(Database::shared());
    if (!tx.isActive())
        return failWith(error, tx.error());
    if (!writeRow(r, error))
        return false;
    const bool inserted = r.state == State::New;
    const qint64 id = Database::shared().lastInsertId();
    if (!tx.commit())
        return failWith(error, tx.error());
    // The row stays where it is, now as stored; a new one gets its key.
    const int keyCol = keyColumn();
    if (inserted && keyCol >= 0)
        r.values[keyCol] = QVariant(qlonglong(id));
    r.original = r.values;
    r.state = State::Clean;
    if (inserted && keyCol >= 0)
        emit dataChanged(index(row, keyCol), index(row, keyCol));
    return true;
}

// Re-reading is all reverting is; a failing statement leaves the grid empty.
void BatchModel::revertAll() { (void)refresh(); }

int BatchModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }
int BatchModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_names.size()); }

QVariant BatchModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const int column = index.column();
    QVariant v = raw(index.row(), column);
    if (auto calc = m_calculated.find(column); calc != m_calculated.end())
        v = (*calc)(m_rows[index.row()].values);
    if (auto lookup = m_lookups.find(column); lookup != m_lookups.end()) {
        const QVariant key = raw(index.row(), lookupTarget(column));
        if (role == Qt::DisplayRole) {
            for (const auto& item : *lookup)
                if (key.isValid() && item.first.toString() == key.toString())
                    return item.second;
            return QString();  // a key without a partner shows empty
        }
        if (role == Qt::EditRole || role == Roles::Value)
            return key;
        return QVariant();
    }
    switch (role) {
    case Qt::DisplayRole: return QueryModel::displayText(v, m_formats.value(column, QueryModel::Plain));
    case Qt::EditRole:
        if (m_money.value(column))  // the editor starts from the plain number
            return v.canConvert<Money>() && v.isValid() ? QVariant(v.value<Money>().plain()) : QVariant(QString());
        if (m_dates.value(column))
            return v.isValid() ? v.toDate() : QDate();
        return v;
    case Roles::Value: return v;
    case Qt::TextAlignmentRole:
        if (m_money.value(column) || v.canConvert<Money>())
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default: return QVariant();
    }
}

bool BatchModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || m_readOnly.contains(index.column()))
        return false;
    const int column = index.column();
    if (m_lookups.contains(column))
        return setRaw(index.row(), lookupTarget(column), value);
    QVariant v = value;
    const bool blank
        = !value.isValid() || (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty());
    if (m_money.value(column)) {
        if (blank) {
            v = QVariant();
        } else if (value.canConvert<Money>() && value.metaType() == QMetaType::fromType<Money>()) {
            v = value;
        } else {
            const auto m = Money::parse(value.toString().trimmed());
            if (!m)
                return false;  // not an amount: the cell keeps its value
            v = QVariant::fromValue(*m);
        }
    } else if (m_dates.value(column)) {
        if (blank) {
            v = QVariant();
        } else {
            const QDate d
                = value.typeId() == QMetaType::QDate ? value.toDate() : dateFromText(value.toString().trimmed());
            if (!d.isValid())
                return false;
            v = d;
        }
    } else if (value.typeId() == QMetaType::QString) {
        QString t = value.toString();
        if (const int max = m_maxLength.value(column))
            t = TextLimit::left(t, max);
        // An editor left empty on an empty (NULL) cell changes nothing.
        const bool wasNull = !raw(index.row(), column).isValid();
        v = t.isEmpty() && wasNull ? QVariant() : QVariant(t);
    }
    return setRaw(index.row(), column, v);
}

Qt::ItemFlags BatchModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;  // the root holds no cell
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!m_readOnly.contains(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant BatchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    return orientation == Qt::Horizontal ? QVariant(m_names.value(section)) : QVariant(QString::number(section + 1));
}
