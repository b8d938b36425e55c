#pragma once
// A read-only table model over one statement's result. Column titles are the
// statement's aliases; cells keep typed values (text, integer, Money, date)
// and show them as the user sees them.

#include "data/Database.h"

#include <QAbstractTableModel>
#include <QVariant>
#include <QVector>
#include <optional>

// (key, name) pairs of a look-up list, in the statement's order.
using KeyNames = QList<QPair<QVariant, QString>>;

// Runs `sql` on the shared connection and reads the (key, name) pairs from
// the columns named `keyField` and `displayField`. A failing statement or a
// missing column is an error (`error` gets it).
[[nodiscard]] bool loadKeyNames(const QString& sql, const Binds& binds, const QString& keyField,
                                const QString& displayField, KeyNames& items, DbError* error = nullptr);

// One statement's result as typed values: Money for MONEY columns, QDate for
// DATE columns, otherwise integer, real or text; NULL as an invalid QVariant.
struct ResultTable {
    QStringList names;
    QVector<bool> money;
    QVector<bool> date;  // DATE columns
    QVector<QVector<QVariant>> rows;
    // Runs the statement on the shared connection.
    bool load(const QString& sql, const Binds& binds, DbError* error);
};

class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum MoneyFormat { Plain, Yuan };

    explicit QueryModel(QObject* parent = nullptr);

    // Runs the statement on the shared connection and replaces the rows.
    // On failure the model is empty and `error` holds the database's error.
    [[nodiscard]] bool setQuery(const QString& sql, const Binds& binds = {}, DbError* error = nullptr);
    [[nodiscard]] bool refresh(DbError* error = nullptr);
    // The same, but a failing statement leaves the model as it was (its
    // statement and rows), so a grid keeps what it showed.
    [[nodiscard]] bool tryQuery(const QString& sql, const Binds& binds = {}, DbError* error = nullptr);

    // A list that may run to many thousands of rows, read in chunks as it is
    // scrolled: "select <columns> from <source> where <filter>", ordered by
    // the table columns `keys` (unique together, e.g. s_date and id), which
    // the result holds in `keyColumns`. Each chunk is a statement of its own
    // that continues after the last row read, and none stays open between
    // chunks, so another program can write meanwhile. Sums of `sums`
    // (result column → expression summed) come from one aggregate over the
    // whole filter, so footers are right before the last chunk is read.
    struct Chunked {
        QString columns, source, filter;
        QStringList keys;
        QList<int> keyColumns;
        QHash<int, QString> sums;
        // Where the footers' sums are read when not from source and filter:
        // the same rows summed ahead (spanViewSql), with a filter of its own.
        QString totalsSource, totalsFilter;
        int chunk = 500;
        bool descending = false;  // every key from the largest down
    };
    [[nodiscard]] bool setChunkedQuery(const Chunked& query, const Binds& binds, DbError* error = nullptr);
    bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;
    // Reads up to `rows` more in one statement: what reads a list to its end
    // (a printout, an export) takes ever larger chunks, since each chunk's
    // statement starts afresh after the last row read.
    void fetchMany(int rows);

    // How a Money column shows: "￥#.00" or plain decimal text.
    void setColumnFormat(int column, MoneyFormat format);
    // Columns, by name, that hold Money though the statement computes them
    // (a sum, a difference: SQLite gives them no declared type). Their
    // integers are ten-thousandths and show, sum and sort as Money. Holds for
    // the current rows and every later read.
    void setMoneyColumns(const QStringList& names);
    // This column shows the row's number (1 for the first row).
    void setRowNumberColumn(int column) { m_rowNumberColumn = column; }

    // DisplayRole is the text the user sees; EditRole and Roles::Value give
    // raw(). The vertical header's DisplayRole is the row number.

    // The stored value: qlonglong, QString, QDate, Money (QVariant<Money>) or
    // an invalid QVariant for NULL.
    QVariant raw(int row, int column) const;
    QVariant raw(int row, const QString& column) const { return raw(row, columnIndex(column)); }
    int columnIndex(const QString& name) const;  // case-insensitive; -1 when absent
    bool isMoneyColumn(int column) const;
    // Exact sum of a Money column over all rows (of a chunked list: all rows
    // of its filter, read or not).
    Money columnSum(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Text of a value as a grid shows it.
    static QString displayText(const QVariant& value, MoneyFormat format = Plain);

signals:
    // A chunk read while scrolling failed (its rows stay as they were).
    void readFailed(const DbError& error);

private:
    void applyMoneyColumns();
    bool readChunk(DbError* error, int rows = 0);

    QString m_sql;
    Binds m_binds;
    ResultTable m_result;
    QStringList& m_names = m_result.names;
    QVector<bool>& m_money = m_result.money;
    QVector<QVector<QVariant>>& m_rows = m_result.rows;
    QHash<int, MoneyFormat> m_formats;
    int m_rowNumberColumn = -1;
    QStringList m_moneyNames;
    std::optional<Chunked> m_chunked;
    QHash<int, Money> m_sums;
    bool m_atEnd = true;
};
