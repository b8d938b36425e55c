#include "data/Database.h"

#include <sqlcipher/sqlite3.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <atomic>
#include <cmath>

namespace {

QString errorOf(sqlite3* db)
{
    if (!db)
        return QStringLiteral("database is not open");
    // The engine's "attempt to write a readonly database" would send the
    // user looking for permissions.
    if (sqlite3_extended_errcode(db) == SQLITE_READONLY_DBMOVED)
        return QString::fromUtf8(kFileReplacedMessage);
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Another connection holds the file (or a table) longer than the busy wait.
bool isLock(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// Without a statement every call fails with the reason it was not prepared.
DbError notPrepared(const DbError& prepareError)
{
    return prepareError.isError() ? prepareError
                                  : DbError(DbError::Kind::Other, QStringLiteral("statement not prepared"));
}

// The connection's last failure as a value.
DbError lastFailure(sqlite3* db, int rc)
{
    const DbError e = DbError::fromResultCode(db ? sqlite3_extended_errcode(db) : rc, errorOf(db));
    return e.isError() ? e : DbError::fromResultCode(rc, errorOf(db));
}

// An argument's whole text: a NUL inside must not cut "2012-02-29\0x" down
// to a date dateFromText would refuse. Null for SQL NULL.
QString argText(sqlite3_value* v)
{
    const unsigned char* t = sqlite3_value_text(v);
    return t ? QString::fromUtf8(reinterpret_cast<const char*>(t), sqlite3_value_bytes(v)) : QString();
}

// year(d), month(d), format(d, pattern) on "YYYY-MM-DD" text.
void fnYear(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QDate d = dateFromText(argText(argv[0]));
    if (d.isValid())
        sqlite3_result_int(ctx, d.year());
    else
        sqlite3_result_null(ctx);
}

void fnMonth(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QDate d = dateFromText(argText(argv[0]));
    if (d.isValid())
        sqlite3_result_int(ctx, d.month());
    else
        sqlite3_result_null(ctx);
}

void fnFormat(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QDate d = dateFromText(argText(argv[0]));
    const QString pattern = argText(argv[1]);
    if (!d.isValid() || pattern.isNull()) {
        sqlite3_result_null(ctx);
        return;
    }
    // Pattern letters are case-insensitive: yyyy, mm, dd; everything else
    // literal, letter case included.
    auto at = [&pattern](qsizetype i, char letter, int count) {
        for (int k = 0; k < count; ++k) {
            const char16_t c = i + k < pattern.size() ? pattern[i + k].unicode() : 0;
            if (c >= 128 || (c | 0x20) != letter)
                return false;
        }
        return true;
    };
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        if (at(i, 'y', 4)) {
            out += QString::number(d.year()).rightJustified(4, u'0');
            i += 4;
        } else if (at(i, 'y', 2)) {
            out += QString::number(d.year() % 100).rightJustified(2, u'0');
            i += 2;
        } else if (at(i, 'm', 2)) {
            out += QString::number(d.month()).rightJustified(2, u'0');
            i += 2;
        } else if (at(i, 'd', 2)) {
            out += QString::number(d.day()).rightJustified(2, u'0');
            i += 2;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    const QByteArray u = out.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

void registerFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "year", 1, flags, nullptr, fnYear, nullptr, nullptr);
    sqlite3_create_function(db, "month", 1, flags, nullptr, fnMonth, nullptr, nullptr);
    sqlite3_create_function(db, "format", 2, flags, nullptr, fnFormat, nullptr, nullptr);
}

}  // namespace

// ---------------------------------------------------------------- Database

Database::~Database() { close(); }

Database& Database::shared()
{
    static Database db;
    return db;
}

bool Database::open(const QString& path, const QByteArray& key, int busyTimeoutMs)
{
    return openExisting(path, SQLITE_OPEN_READWRITE, key, busyTimeoutMs);
}

bool Database::openReadOnly(const QString& path, const QByteArray& key, int busyTimeoutMs)
{
    return openExisting(path, SQLITE_OPEN_READONLY, key, busyTimeoutMs);
}

bool Database::openExisting(const QString& path, int flags, const QByteArray& key, int busyTimeoutMs)
{
    close();
    m_error = DbError();
    m_locked = false;
    if (!QFileInfo(path).isFile()) {
        m_error = DbError(DbError::Kind::FileFault, QStringLiteral("unable to open database file: %1").arg(path),
                          SQLITE_CANTOPEN);
        return false;
    }
    const QByteArray p = QFileInfo(path).absoluteFilePath().toUtf8();
    const int rc = sqlite3_open_v2(p.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        return false;
    }
    return finishOpen(key, busyTimeoutMs);
}

bool Database::create(const QString& path, const QByteArray& key, int busyTimeoutMs)
{
    close();
    m_error = DbError();
    m_locked = false;
    if (QFileInfo::exists(path)) {
        m_error = DbError(DbError::Kind::Other, QStringLiteral("file exists: %1").arg(path));
        return false;
    }
    const QByteArray p = QFileInfo(path).absoluteFilePath().toUtf8();
    const int rc = sqlite3_open_v2(p.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        return false;
    }
    return finishOpen(key, busyTimeoutMs);
}

void Database::fail(int rc)
{
    m_error = lastFailure(m_db, rc);
    close();
    m_locked = isLock(rc);
}

DbError DbError::fromResultCode(int code, const QString& message)
{
    switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        // A failure the engine no longer has a code for is still one.
        return message.isEmpty() ? DbError() : DbError(Kind::Other, message, code);
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return {Kind::Locked, message, code};
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_FULL:
    case SQLITE_CANTOPEN:
    case SQLITE_PROTOCOL:
    case SQLITE_NOTADB: return {Kind::FileFault, message, code};
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG: return {Kind::Refused, message, code};
    default: return {Kind::Other, message, code};
    }
}

bool Database::finishOpen(const QByteArray& key, int busyTimeoutMs)
{
    m_path = QString::fromUtf8(sqlite3_db_filename(m_db, "main"));
    m_busyTimeoutMs = busyTimeoutMs;
    // Before the first read: a file another program holds for a moment is
    // waited for instead of failing at once.
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    int rc = sqlite3_key(m_db, key.constData(), int(key.size()));
    if (rc != SQLITE_OK) {
        fail(rc);
        return false;
    }
    // A wrong key or a plain file shows only at the first read.
    rc = sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        return false;
    }
    sqlite3_exec(m_db, "PRAGMA foreign_keys=OFF", nullptr, nullptr, nullptr);
    // What a delete frees is overwritten: a record the user deleted for good
    // is not left readable in the file.
    sqlite3_exec(m_db, "PRAGMA secure_delete=ON", nullptr, nullptr, nullptr);
    // A 16 MiB page cache (a limit: pages are taken only as they are read):
    // twenty years of indexes outgrow the default 2 MB, and every page read
    // again from disk is decrypted again.
    sqlite3_exec(m_db, "PRAGMA cache_size=-16384", nullptr, nullptr, nullptr);
    registerFunctions(m_db);
    return true;
}

bool Database::openInMemory()
{
    close();
    m_error = DbError();
    m_locked = false;
    const int rc = sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        return false;
    }
    m_path.clear();
    return true;
}

bool Database::replacedOnDisk() const
{
    if (!m_db || m_path.isEmpty())
        return false;
    int moved = 0;
    return sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
}

void Database::close()
{
    m_locked = false;
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

qint64 Database::clockNs()
{
    static QElapsedTimer since = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return since.nsecsElapsed();
}

void Database::startStatementClock()
{
    m_statementNs = 0;
    m_clockOn = true;
}

bool Database::exec(const QString& sql)
{
    if (!m_db) {
        m_error = DbError(DbError::Kind::FileFault, errorOf(nullptr), SQLITE_CANTOPEN);
        return false;
    }
    char* msg = nullptr;
    const QByteArray u = sql.toUtf8();
    const int rc = timed([&] { return sqlite3_exec(m_db, u.constData(), nullptr, nullptr, &msg); });
    if (rc != SQLITE_OK) {
        const int code = sqlite3_extended_errcode(m_db);
        m_error = DbError::fromResultCode(code, msg && code != SQLITE_READONLY_DBMOVED ? QString::fromUtf8(msg)
                                                                                       : errorOf(m_db));
        m_locked = isLock(rc);
        sqlite3_free(msg);
        return false;
    }
    m_error = DbError();
    m_locked = false;
    return true;
}

bool Database::inTransaction() const { return m_db && sqlite3_get_autocommit(m_db) == 0; }

qint64 Database::lastInsertId() const { return m_db ? sqlite3_last_insert_rowid(m_db) : 0; }
int Database::changes() const { return m_db ? sqlite3_changes(m_db) : 0; }

bool runSteps(Database& db, const QList<Step>& steps, DbError* error)
{
    auto fail = [error](const DbError& e) {
        if (error)
            *error = e;
        return false;  // the transaction rolls back
    };
    Transaction tx(db);
    if (!tx.isActive())
        return fail(tx.error());
    for (const Step& step : steps) {
        Query q(db, QString::fromUtf8(step.sql));
        for (const auto& [name, value] : step.binds)
            q.bindValue(name, value);
        if (!q.exec())
            return fail(q.error());
    }
    if (!tx.commit())
        return fail(tx.error());
    return true;
}

// ---------------------------------------------------------------- Query

Query::Query(Database& db) : m_db(db) {}

// A failed prepare is kept in error(); exec() and next() then fail with it.
Query::Query(Database& db, const QString& sql) : m_db(db) { (void)prepare(sql); }

Query::~Query()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

bool Query::prepare(const QString& sql)
{
    if (m_stmt) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
    m_sql = sql;
    m_names.clear();
    m_error = DbError();
    m_prepareError = DbError();
    m_locked = false;
    m_done = false;
    if (!m_db.handle()) {
        // A connection that could not be opened because of a lock says so
        // through its statements too.
        m_locked = m_db.locked();
        m_error = m_prepareError = m_locked ? DbError(DbError::Kind::Locked, errorOf(nullptr), SQLITE_BUSY)
                                            : DbError(DbError::Kind::FileFault, errorOf(nullptr), SQLITE_CANTOPEN);
        return false;
    }
    const QByteArray u = sql.toUtf8();
    const int rc
        = m_db.timed([&] { return sqlite3_prepare_v2(m_db.handle(), u.constData(), int(u.size()), &m_stmt, nullptr); });
    if (rc != SQLITE_OK) {
        m_stmt = nullptr;
        fail(rc);
        m_prepareError = m_error;
        return false;
    }
    for (int c = 0; c < sqlite3_column_count(m_stmt); ++c)
        m_names << QString::fromUtf8(sqlite3_column_name(m_stmt, c));
    return true;
}

int Query::paramIndex(const char* name)
{
    if (!m_stmt)
        return 0;
    // Binding needs a statement that is not half-way through its rows.
    if (sqlite3_stmt_busy(m_stmt)) {
        sqlite3_reset(m_stmt);
        m_done = false;
    }
    return sqlite3_bind_parameter_index(m_stmt, name);
}

Query& Query::bind(const char* name, const QString& text)
{
    if (text.isNull())
        return bindNull(name);
    if (int i = paramIndex(name)) {
        const QByteArray u = text.toUtf8();
        sqlite3_bind_text(m_stmt, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    return *this;
}

Query& Query::bind(const char* name, qint64 value)
{
    if (int i = paramIndex(name))
        sqlite3_bind_int64(m_stmt, i, value);
    return *this;
}

Query& Query::bind(const char* name, Money value) { return bind(name, value.raw()); }

Query& Query::bind(const char* name, const QDate& date)
{
    return date.isValid() ? bind(name, dateText(date)) : bindNull(name);
}

Query& Query::bindNull(const char* name)
{
    if (int i = paramIndex(name))
        sqlite3_bind_null(m_stmt, i);
    return *this;
}

Query& Query::bindValue(const char* name, const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return bindNull(name);
    if (v.metaType() == QMetaType::fromType<Money>())
        return bind(name, v.value<Money>());
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool: return bind(name, v.toLongLong());
    case QMetaType::QDate: return bind(name, v.toDate());
    case QMetaType::Double:
        if (int i = paramIndex(name))
            sqlite3_bind_double(m_stmt, i, v.toDouble());
        return *this;
    default: return bind(name, v.toString());
    }
}

void Query::fail(int rc)
{
    m_error = lastFailure(m_db.handle(), rc);
    m_locked = isLock(rc);
}

bool Query::exec()
{
    if (!m_stmt) {
        m_error = notPrepared(m_prepareError);
        return false;
    }
    sqlite3_reset(m_stmt);
    m_error = DbError();
    m_locked = false;
    int rc;
    m_db.timed([&] {
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        }
        return rc;
    });
    m_done = true;
    if (rc != SQLITE_DONE) {
        fail(rc);
        sqlite3_reset(m_stmt);
        return false;
    }
    sqlite3_reset(m_stmt);
    return true;
}

bool Query::next()
{
    if (!m_stmt) {
        m_error = notPrepared(m_prepareError);
        return false;
    }
    if (m_done) {
        sqlite3_reset(m_stmt);
        m_done = false;
    }
    const int rc = m_db.timed([&] { return sqlite3_step(m_stmt); });
    if (rc == SQLITE_ROW)
        return true;
    m_done = true;
    if (rc != SQLITE_DONE) {
        fail(rc);
        sqlite3_reset(m_stmt);
    }
    return false;
}

Query::Fetch Query::fetch()
{
    if (next())
        return Fetch::Row;
    return ok() ? Fetch::NoRow : Fetch::Failed;
}

void Query::reset()
{
    m_done = false;
    if (!m_stmt)
        return;  // nothing to run again: the prepare's message stays
    sqlite3_reset(m_stmt);
    m_error = DbError();
    m_locked = false;
}

int Query::columnCount() const { return m_stmt ? sqlite3_column_count(m_stmt) : 0; }

QString Query::columnName(int col) const
{
    return m_stmt ? QString::fromUtf8(sqlite3_column_name(m_stmt, col)) : QString();
}

QString Query::columnDeclType(int col) const
{
    const char* t = m_stmt ? sqlite3_column_decltype(m_stmt, col) : nullptr;
    return t ? QString::fromUtf8(t) : QString();
}

QString Query::columnTable(int col) const
{
    const char* t = m_stmt && col >= 0 ? sqlite3_column_table_name(m_stmt, col) : nullptr;
    return t ? QString::fromUtf8(t) : QString();
}

QString Query::columnOrigin(int col) const
{
    const char* t = m_stmt && col >= 0 ? sqlite3_column_origin_name(m_stmt, col) : nullptr;
    return t ? QString::fromUtf8(t) : QString();
}

int indexOfName(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool Query::isNull(int col) const { return !m_stmt || col < 0 || sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }

QString Query::text(int col) const
{
    if (isNull(col))
        return QString();
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    const int n = sqlite3_column_bytes(m_stmt, col);
    return QString::fromUtf8(t, n);
}

qint64 Query::integer(int col) const { return isNull(col) ? 0 : sqlite3_column_int64(m_stmt, col); }

double Query::real(int col) const { return isNull(col) ? 0.0 : sqlite3_column_double(m_stmt, col); }

Money Query::money(int col) const
{
    if (isNull(col))
        return Money();
    // Money columns hold integers; a real (from arithmetic) is rounded.
    if (sqlite3_column_type(m_stmt, col) == SQLITE_FLOAT)
        return Money::fromRaw(qint64(std::llround(sqlite3_column_double(m_stmt, col))));
    return Money::fromRaw(sqlite3_column_int64(m_stmt, col));
}

std::optional<Money> Query::moneyOrNull(int col) const
{
    if (isNull(col))
        return std::nullopt;
    return money(col);
}

QDate Query::date(int col) const { return isNull(col) ? QDate() : dateFromText(text(col)); }

QVariant Query::value(int col) const
{
    if (isNull(col))
        return QVariant();
    switch (sqlite3_column_type(m_stmt, col)) {
    case SQLITE_INTEGER: return QVariant(qlonglong(sqlite3_column_int64(m_stmt, col)));
    case SQLITE_FLOAT: return QVariant(sqlite3_column_double(m_stmt, col));
    default: return QVariant(text(col));
    }
}

Query::Fetch Query::scalar(QVariant* value)
{
    reset();
    const Fetch f = fetch();
    if (f == Fetch::Row) {
        *value = this->value(0);
        reset();
    }
    return f;
}

// ---------------------------------------------------------------- Transaction

namespace {
std::atomic<int> g_savepoint{0};
}

Transaction::Transaction(Database& db) : m_db(db)
{
    m_name = QStringLiteral("tx%1").arg(++g_savepoint);
    m_active = m_db.exec(QStringLiteral("SAVEPOINT %1").arg(m_name));
    if (!m_active)
        m_error = m_db.lastError();
}

Transaction::~Transaction()
{
    if (m_active)
        rollback();
}

bool Transaction::commit()
{
    if (!m_active)
        return false;
    if (!m_db.exec(QStringLiteral("RELEASE %1").arg(m_name))) {
        m_error = m_db.lastError();
        rollback();
        return false;
    }
    m_active = false;
    return true;
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    // Nothing more to do if these fail: the connection reports it on the next
    // statement.
    (void)m_db.exec(QStringLiteral("ROLLBACK TO %1").arg(m_name));
    (void)m_db.exec(QStringLiteral("RELEASE %1").arg(m_name));
    m_active = false;
}

// ---------------------------------------------------------------- dates

QString dateText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("yyyy-MM-dd")) : QString(); }

QDate dateFromText(const QString& text)
{
    if (text.size() != 10 || text[4] != u'-' || text[7] != u'-')
        return QDate();
    // By hand: reports read thousands of dates, and QDate::fromString with a
    // pattern is slow. Digits only, as the pattern demands.
    auto number = [&text](int from, int length) {
        int n = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            n = n * 10 + (c - u'0');
        }
        return n;
    };
    const int y = number(0, 4), m = number(5, 2), d = number(8, 2);
    if (y < 0 || m < 0 || d < 0)
        return QDate();
    return QDate(y, m, d);  // invalid for a month or day that does not exist
}

QDate firstDayOfMonth(const QDate& d) { return QDate(d.year(), d.month(), 1); }

QDate lastDayOfMonth(const QDate& d) { return QDate(d.year(), d.month(), d.daysInMonth()); }

QDate previousMonth(const QDate& d) { return firstDayOfMonth(d).addMonths(-1); }
