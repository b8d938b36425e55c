#pragma once
// An editable grid model over one table: edits, new rows and deletions stay
// pending until submitAll() writes them all in one transaction (all or
// nothing; on failure they stay pending) or revertAll() drops them.

#include "data/Money.h"
#include "ui/QueryModel.h"

#include <QAbstractTableModel>
#include <QSet>
#include <functional>

class BatchModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BatchModel(QObject* parent = nullptr);

    // The rows come from `sql`; writes go to `table`, rows identified by `key`
    // (a column of the statement). Pending changes are dropped.
    bool setQuery(const QString& sql, const Binds& binds, const QString& table, const QString& key,
                  QString* error = nullptr);
    bool refresh(QString* error = nullptr);

    // The table column behind a statement column (default: its alias).
    void setColumnField(int column, const QString& field);
    void setReadOnly(int column, bool readOnly = true);
    // A Money column left empty is written as NULL instead of 0.
    void setRequired(int column, bool required = true);
    void setMaxLength(int column, int length);
    // A look-up column stores a key and shows the name the statement gives
    // for it; its editor offers the names.
    bool setLookup(int column, const QString& sql, const QString& keyField, const QString& displayField,
                   QString* error = nullptr);
    bool isLookup(int column) const { return m_lookups.contains(column); }
    QList<QPair<QVariant, QString>> lookupItems(int column) const { return m_lookups.value(column); }
    // A read-only column computed from the other values of its row.
    void setCalculated(int column, std::function<QVariant(const QVector<QVariant>& row)> compute);
    int maxLength(int column) const { return m_maxLength.value(column, 0); }

    // Called for every new row just before it is written (fill class
    // letters, parent ids); the values may be changed.
    std::function<void(QVector<QVariant>& values)> beforeInsert;

    int appendRow();                 // a blank pending row; returns its index
    bool removeRowAt(int row);       // pending delete (a new row simply vanishes)
    bool isNewRow(int row) const;
    bool hasPending() const;
    // Number of rows that exist in the database (saved rows still shown).
    int savedRowCount() const;

    bool submitAll(QString* error = nullptr);
    void revertAll();

    QVariant raw(int row, int column) const;
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

    QString m_sql, m_table, m_key;
    Binds m_binds;
    QStringList m_names;
    QVector<bool> m_money;
    QVector<Row> m_rows;
    QVector<QVariant> m_deleted;  // keys of rows deleted but not yet written
    QHash<int, QString> m_fields;
    QSet<int> m_readOnly, m_required;
    QHash<int, int> m_maxLength;
    QHash<int, QList<QPair<QVariant, QString>>> m_lookups;
    QHash<int, std::function<QVariant(const QVector<QVariant>&)>> m_calculated;
};
