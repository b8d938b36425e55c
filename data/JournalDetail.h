#pragma once
// What the journal and the recycle bin share of how row images are read:
// internal to data/.

#include "data/Database.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace journal_detail {

inline constexpr char kTimeFormat[] = "yyyy-MM-dd HH:mm:ss";

bool fail(DbError* error, const DbError& e);
// Runs `row` on each row `q` reads; false on a failed read (error set) or
// as soon as `row` says so.
bool eachRow(Query& q, DbError* error, const std::function<bool()>& row);
// The table's columns in order; fails unless it keeps its rowid in one
// INTEGER PRIMARY KEY column.
bool columnsOf(Database& db, const QString& table, QStringList* columns, DbError* error);
// "a","b",…
QString quotedNames(const QStringList& columns);
// `name(cols) AS (SELECT <image>)`, for a WITH clause: the image's values by
// column name.
QString imageTable(const char* name, const QStringList& columns, const QString& image);

// Overwrites what a delete frees (this SQLCipher has it on already); put
// back as it was.
class SecureDelete {
public:
    explicit SecureDelete(Database& db) : m_db(db)
    {
        Query before(db, QStringLiteral("PRAGMA secure_delete"));
        QVariant v;
        m_ok = before.scalar(&v) == Query::Fetch::Row;
        m_was = v.toInt();
        m_ok = m_ok && db.exec(QStringLiteral("PRAGMA secure_delete=1"));
        if (!m_ok)
            m_error = before.error().isError() ? before.error() : db.lastError();
    }
    ~SecureDelete() { (void)m_db.exec(QStringLiteral("PRAGMA secure_delete=%1").arg(m_was)); }
    bool ok(DbError* error) const { return m_ok || fail(error, m_error); }

private:
    Database& m_db;
    int m_was = 1;
    bool m_ok = false;
    DbError m_error;
};

}  // namespace journal_detail
