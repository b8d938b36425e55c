#pragma once
// An editable grid model over one table: edits, new rows and deletions stay
// pending until submitAll() writes them all in one transaction (all or
// nothing; on failure they stay pending) or revertAll() drops them.
// Another program may have changed the table since it was read: an update
// or delete that finds no row fails the batch, as does a new row whose
// insert condition no longer holds.
//
// Cells: DisplayRole is the text shown (dates "YYYY-MM-DD", Money plain,
// look-ups the name); EditRole is what an editor gets and gives (Money as
// plain text, dates as QDate, look-ups the key); Qt::UserRole the raw value.
// Money cells are parsed with Money::parse: text that is not an amount is
// refused by setData (the cell keeps its value; DataGrid's editor cannot
// type it). An empty Money cell is written as 0 unless the column is required.
// Column settings are by column index; set them after setQuery() and after
// any insertLookupColumn().

#include "data/DbError.h"
#include "data/Money.h"
#include "ui/QueryModel.h"
#include "ui/Roles.h"

#include <QAbstractTableModel>
#include <QSet>
#include <functional>

class BatchModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BatchModel(QObject* parent = nullptr);

    // The rows come from `sql`; writes go to `table`, rows identified by `key`
    // (a column of the statement). Pending changes are dropped.
    [[nodiscard]] bool setQuery(const QString& sql, const Binds& binds, const QString& table, const QString& key,
                                DbError* error = nullptr);
    [[nodiscard]] bool refresh(DbError* error = nullptr);

    // The table column behind a statement column. By default the column the
    // statement reads it from; expressions and columns of other tables are
    // not written unless given a field here.
    void setColumnField(int column, const QString& field);
    void setReadOnly(int column, bool readOnly = true);
    // A Money column left empty is written as NULL instead of 0.
    void setRequired(int column, bool required = true);
    void setMaxLength(int column, int length);
    // How a Money cell shows when not edited: plain (default) or "￥#.00".
    void setColumnFormat(int column, QueryModel::MoneyFormat format) { m_formats[column] = format; }
    // A look-up column stores a key and shows the name the statement gives
    // for it; its editor offers the names.
    bool setLookup(int column, const QString& sql, const QString& keyField, const QString& displayField,
                   DbError* error = nullptr);
    // A look-up column of its own, placed at `position` (later columns move
    // right): it shows the name of the key held in the column named
    // `keyColumn` (usually hidden) and choosing a name writes that key
    // there. It survives refresh() and later setQuery() calls; call it once,
    // right after the first setQuery().
    bool insertLookupColumn(int position, const QString& title, const QString& keyColumn, const QString& sql,
                            const QString& keyField, const QString& displayField, DbError* error = nullptr);
    bool isLookup(int column) const { return m_lookups.contains(column); }
    KeyNames lookupItems(int column) const { return m_lookups.value(column); }
    // A read-only column computed from the other values of its row.
    void setCalculated(int column, std::function<QVariant(const QVector<QVariant>& row)> compute);
    int maxLength(int column) const { return m_maxLength.value(column, 0); }
    bool isMoneyColumn(int column) const { return m_money.value(column); }
    bool isDateColumn(int column) const { return m_dates.value(column); }
    bool isRequired(int column) const { return m_required.contains(column); }
    bool isReadOnly(int column) const { return m_readOnly.contains(column); }

    // Called at submit time for every new row just before it is written,
    // whether or not it was ever edited (fill class letters, parent ids);
    // the values (indexed like the columns) may be changed.
    std::function<void(QVector<QVariant>& values)> beforeInsert;

    // New rows are written only while `condition` holds: an SQL expression
    // in which :field stands for the new row's value of that table column,
    // e.g. that the parent row still exists.
    void setInsertCondition(const QString& condition) { m_insertCondition = condition; }

    // A blank pending row, returns its index; `preset` values (by column)
    // are what the row starts with and count as untouched.
    int appendRow(const QHash<int, QVariant>& preset = {});
    int insertNewRow(int position, const QHash<int, QVariant>& preset = {});  // the same, placed at `position`
    bool removeRowAt(int row);  // pending delete (a new row simply vanishes)
    bool isNewRow(int row) const;
    // New or changed and not yet written.
    bool isPendingRow(int row) const;
    bool hasPending() const;
    // Rows a write would insert, change or delete.
    int pendingRowCount() const;
    // Pending changes that hold something typed: new rows left blank (or
    // as preset) and cells typed back to their stored value do not count.
    bool hasEdits() const;
    // Number of rows that exist in the database (saved rows still shown).
    int savedRowCount() const;

    // Write failures come as a value: its kind tells a refused row, a row
    // that was gone (deleted meanwhile, or its insert condition no longer
    // held: DbError::Kind::Vanished) and a file that could not be written.
    [[nodiscard]] bool submitAll(DbError* error = nullptr);
    // Writes every pending change inside the caller's open transaction and
    // leaves the rows as they are: the caller commits (or rolls back) and
    // then re-reads with refresh(). On failure nothing is left half-written
    // once the caller rolls back, and the changes stay pending.
    [[nodiscard]] bool writePending(DbError* error = nullptr);
    void revertAll();
    // Writes the row's pending insert or update now, in one transaction, and
    // keeps it where it is as stored (a new row gets its key), as a
    // data-aware form posts its current record; other pending changes stay
    // pending. On failure the row stays pending.
    [[nodiscard]] bool submitRow(int row, DbError* error = nullptr);

    QVariant raw(int row, int column) const;
    // The value as stored, before the row's pending change.
    QVariant originalRaw(int row, int column) const;
    QVariant raw(int row, const QString& column) const { return raw(row, columnIndex(column)); }
    int columnIndex(const QString& name) const;
    bool setRaw(int row, int column, const QVariant& value);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // A cell was changed by the user or by setRaw.
    void cellEdited(int row, int column);

private:
    enum class State { Clean, New, Changed };
    struct Row {
        QVector<QVariant> values;
        QVector<QVariant> original;
        State state = State::Clean;
    };
    QString field(int column) const;
    bool writeRow(const Row& r, DbError* error);
    static bool failWith(DbError* error, const DbError& why);
    QString goneMessage(const QVariant& key) const;
    // What an insert or update writes for a cell (an empty amount is 0).
    QVariant valueFor(int column, const QVariant& value) const;
    int keyColumn() const;               // the column holding the key; -1 when none
    int lookupTarget(int column) const;  // the column that stores a look-up's key
    bool writable(int column) const
    {
        return !m_readOnly.contains(column) && !m_virtual.contains(column) && !field(column).isEmpty();
    }
    QStringList originFields() const;

    struct ExtraLookup {
        int position;
        QString title, keyColumn;
    };
    QVector<ExtraLookup> m_extra;        // by increasing position
    QSet<int> m_virtual;                 // columns not in the statement
    QHash<int, QString> m_lookupTarget;  // look-up column -> key column name

    QString m_sql, m_table, m_key, m_insertCondition;
    Binds m_binds;
    QStringList m_names;
    QStringList m_origin;  // table column behind each column, or empty
    QVector<bool> m_money, m_dates;
    QVector<Row> m_rows;
    QVector<QVariant> m_deleted;  // keys of rows deleted but not yet written
    QHash<int, QString> m_fields;
    QSet<int> m_readOnly, m_required;
    QHash<int, int> m_maxLength;
    QHash<int, QueryModel::MoneyFormat> m_formats;
    QHash<int, KeyNames> m_lookups;
    QHash<int, std::function<QVariant(const QVector<QVariant>&)>> m_calculated;
};
