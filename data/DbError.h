#pragma once
// What went wrong with a statement, as a value: the message a box shows and
// the kind a page decides by, so a caller never has to ask the connection
// afterwards what its last statement did.

#include <QString>

class DbError {
public:
    enum class Kind {
        None,
        FileFault,  // the file: full, read-only, unreadable, damaged, replaced
        Locked,     // another connection held the file past the busy wait
        Refused,    // the row: a constraint or a trigger said no
        Vanished,   // the row to change is no longer there
        Other,      // what was asked cannot be done (no such table, bad SQL)
    };

    DbError() = default;
    DbError(Kind kind, const QString& message, int code = 0) : m_kind(kind), m_message(message), m_code(code) {}
    // From an engine result code (extended or primary) and its message.
    static DbError fromResultCode(int code, const QString& message);

    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }
    // The engine's result code; 0 for a failure found by the program.
    int code() const { return m_code; }
    bool isError() const { return m_kind != Kind::None; }
    // The file let the statement down, not what it asked: such a failure
    // is shown with its message even where a refused row has one of its own.
    bool isFileFault() const { return m_kind == Kind::FileFault || m_kind == Kind::Locked; }

    // What the boxes show.
    operator QString() const { return m_message; }

private:
    Kind m_kind = Kind::None;
    QString m_message;
    int m_code = 0;
};
