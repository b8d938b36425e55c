#pragma once
// A thin wrapper over the SQLCipher C API: one connection, prepared statements
// with named parameters, typed column reads and nested transactions.
// Nothing here shows a dialog: failures come back as false plus the
// database's own message.

#include "data/DbError.h"
#include "data/Money.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// Index of `name` in `names` ignoring letter case (SQL names are
// case-insensitive); -1 when absent.
int indexOfName(const QStringList& names, const QString& name);

// How long a statement waits for a lock another connection holds before it
// fails; the program uses this, tests pass a shorter wait.
inline constexpr int kDefaultBusyTimeoutMs = 2000;

// What a write on a connection whose file was replaced under it reports.
inline constexpr char kFileReplacedMessage[] = "数据文件已被替换（可能已在另一个窗口中还原了数据库），"
                                               "当前显示的数据已过时，请重新启动本软件。";

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The one connection of the process, opened by Tx_Data at start.
    static Database& shared();

    // Opens an existing encrypted file; never creates one. A missing file, a
    // wrong key, a file that is not a database or one locked by another
    // connection for longer than the busy wait fails here.
    [[nodiscard]] bool open(const QString& path, const QByteArray& key, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    // Creates a new encrypted file (refuses to touch an existing one).
    [[nodiscard]] bool create(const QString& path, const QByteArray& key, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    // Opens an existing encrypted file for reading only: checking a file
    // must not change it (not even by rolling back a journal left beside it).
    [[nodiscard]] bool openReadOnly(const QString& path, const QByteArray& key,
                                    int busyTimeoutMs = kDefaultBusyTimeoutMs);
    // A scratch database in memory (no key, nothing on disk).
    [[nodiscard]] bool openInMemory();
    void close();

    bool isOpen() const { return m_db != nullptr; }
    // The file the connection opened is no longer the one at its path: it
    // was replaced (a restore by another copy of the program) or removed.
    // Such a connection still reads the old data; every write is refused.
    bool replacedOnDisk() const;
    // A transaction (or savepoint) is open on the connection.
    bool inTransaction() const;
    QString filePath() const { return m_path; }
    // The failure of the last open() or exec(); converts to its message.
    DbError lastError() const { return m_error; }
    // The last failure of open() or exec() was a lock held by another
    // connection that outlasted the busy wait (the file itself is fine).
    // close() clears it.
    bool locked() const { return m_locked; }
    // The busy wait the connection was opened with, for a second connection
    // that must wait alike.
    int busyTimeoutMs() const { return m_busyTimeoutMs; }

    // Runs one or more statements without parameters.
    [[nodiscard]] bool exec(const QString& sql);

    qint64 lastInsertId() const;
    int changes() const;

    // For benchmarks: adds up the time SQLite itself spends running the
    // statements of this connection from now on (preparing and stepping
    // them, commits included), so a page's cost can be set against the
    // statements it runs.
    void startStatementClock();
    qint64 statementNanoseconds() const { return m_statementNs; }

private:
    // Only data/ talks to the SQLCipher C API.
    friend class Query;
    friend class Transaction;
    sqlite3* handle() const { return m_db; }
    bool openExisting(const QString& path, int flags, const QByteArray& key, int busyTimeoutMs);
    bool finishOpen(const QByteArray& key, int busyTimeoutMs);
    void fail(int rc);
    // Runs `call`, adding its time to the statement clock when that runs.
    template <class F> int timed(F&& call)
    {
        if (!m_clockOn)
            return call();
        const qint64 start = clockNs();
        const int rc = call();
        m_statementNs += clockNs() - start;
        return rc;
    }
    static qint64 clockNs();

    sqlite3* m_db = nullptr;
    QString m_path;
    DbError m_error;
    bool m_locked = false;
    qint64 m_statementNs = 0;
    bool m_clockOn = false;
    int m_busyTimeoutMs = kDefaultBusyTimeoutMs;
};

class Query {
public:
    explicit Query(Database& db = Database::shared());
    Query(Database& db, const QString& sql);
    explicit Query(const QString& sql) : Query(Database::shared(), sql) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    [[nodiscard]] bool prepare(const QString& sql);
    bool isPrepared() const { return m_stmt != nullptr; }
    QString sql() const { return m_sql; }

    // Named parameters as written in the statement, ":t1". A null QString
    // binds NULL; an empty one binds ''.
    Query& bind(const char* name, const QString& text);
    Query& bind(const char* name, const char* text) { return bind(name, QString::fromUtf8(text)); }
    Query& bind(const char* name, qint64 value);
    Query& bind(const char* name, int value) { return bind(name, qint64(value)); }
    Query& bind(const char* name, Money value);
    Query& bind(const char* name, const QDate& date);  // invalid date binds NULL
    Query& bindNull(const char* name);
    Query& bindValue(const char* name, const QVariant& value);

    // Runs a statement that returns no rows (or ignores them).
    [[nodiscard]] bool exec();
    // Steps to the next row; false at the end or on error (see ok()).
    bool next();
    // Steps to the next row and tells the end of the rows from a failure.
    enum class Fetch { Row, NoRow, Failed };
    [[nodiscard]] Fetch fetch();
    void reset();

    bool ok() const { return !m_error.isError(); }
    // What the last call did wrong; converts to its message.
    const DbError& error() const { return m_error; }
    // The failure was a lock held by another connection (see Database::locked).
    bool locked() const { return m_locked; }

    int columnCount() const;
    QString columnName(int col) const;
    QString columnDeclType(int col) const;
    int columnIndex(const QString& name) const { return indexOfName(m_names, name); }
    // Where a result column is read from: the table and that table's column
    // (through aliases, views and sub-selects); empty for an expression.
    // Needs only a prepared statement.
    QString columnTable(int col) const;
    QString columnOrigin(int col) const;

    bool isNull(int col) const;
    QString text(int col) const;    // NULL reads as a null QString
    qint64 integer(int col) const;  // NULL reads as 0
    Money money(int col) const;     // NULL reads as 0
    std::optional<Money> moneyOrNull(int col) const;
    QDate date(int col) const;  // "YYYY-MM-DD"; invalid when NULL or malformed
    double real(int col) const;
    QVariant value(int col) const;  // by storage class; NULL is an invalid QVariant

    bool isNull(const QString& c) const { return isNull(columnIndex(c)); }
    QString text(const QString& c) const { return text(columnIndex(c)); }
    qint64 integer(const QString& c) const { return integer(columnIndex(c)); }
    Money money(const QString& c) const { return money(columnIndex(c)); }
    QDate date(const QString& c) const { return date(columnIndex(c)); }

    // The first column of the first row, for "select count(*)"-like
    // statements: Row with `value` set, NoRow (value untouched), or Failed
    // (see error()) — a statement without rows is no failure.
    [[nodiscard]] Fetch scalar(QVariant* value);

private:
    int paramIndex(const char* name);
    void fail(int rc);

    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
    QStringList m_names;  // column names, fixed once prepared
    DbError m_error;
    // Why the statement could not be prepared; every later call reports it.
    DbError m_prepareError;
    bool m_locked = false;
    bool m_done = false;
};

// A transaction that rolls back unless committed. Nests (savepoints), so a
// routine that writes in one transaction may be called inside another.
class Transaction {
public:
    explicit Transaction(Database& db = Database::shared());
    ~Transaction();
    bool isActive() const { return m_active; }
    const DbError& error() const { return m_error; }
    [[nodiscard]] bool commit();
    void rollback();

private:
    Database& m_db;
    QString m_name;
    bool m_active = false;
    DbError m_error;
};

// Named parameters and their values, ":t1".
using Binds = QList<QPair<const char*, QVariant>>;

// One statement of a write that goes in whole or not at all.
struct Step {
    const char* sql;
    Binds binds = {};
};
// Runs the steps in order in one transaction (nested in the caller's, if
// any): all or nothing, the first failure in `error`.
[[nodiscard]] bool runSteps(Database& db, const QList<Step>& steps, DbError* error = nullptr);

// Dates as the database stores them.
QString dateText(const QDate& d);         // "YYYY-MM-DD"; empty for an invalid date
QDate dateFromText(const QString& text);  // invalid unless exactly "YYYY-MM-DD"
QDate firstDayOfMonth(const QDate& d);
QDate lastDayOfMonth(const QDate& d);
// (year, month) of the month before; January gives December of the year before.
QDate previousMonth(const QDate& d);
