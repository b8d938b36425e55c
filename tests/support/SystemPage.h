#pragma once
// The settings page as the settings and backup tests drive it, and a look
// into another database file than the one the program has open.

#include "data/Database.h"
#include "data/Tx_Data.h"
#include "settings/Tf_system.h"

// A settings page whose ending of the program is counted instead.
struct SystemPage {
    Tf_system page;
    int quits = 0;
    SystemPage()
    {
        page.setQuitAction([this] { ++quits; });
        page.show();
    }
};

// The number of rows of "table [where ...]" in the file at `path`, read
// through a connection of its own; -1 when the file does not open.
inline qint64 countIn(const QString& path, const QString& tableAndCondition)
{
    Database other;
    if (!other.openReadOnly(path, QByteArray(kDatabasePassword)))
        return -1;
    Query q(other, QStringLiteral("select count(*) from ") + tableAndCondition);
    return q.next() ? q.integer(0) : -1;
}
