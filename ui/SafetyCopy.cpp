#include "ui/SafetyCopy.h"

#include "data/Backup.h"
#include "data/Clock.h"
#include "data/Database.h"
#include "data/Journal.h"
#include "ui/LongWork.h"
#include "ui/Msg.h"
#include "ui/WaitCursor.h"

bool confirmWithCopy(QWidget* parent, const QString& question, qint64 rows, const QString& verb, const QString& reason)
{
    if (rows <= kMaxJournaledRows)
        return Msg::confirm(parent, question);
    const QString copy = safetyBackupName(Database::shared().filePath(), Clock::now(), reason);
    if (!Msg::confirm(parent, question,
                      QStringLiteral("这 %1 行超出了撤销的范围，无法撤销。\n").arg(rows)
                          + safetyBackupNotice(copy, verb)))
        return false;
    DbError error;
    bool ok;
    {
        WaitCursor wait;
        ok = writeSafetyBackup(Database::shared(), copy, &error,
                               LongWork::besideWindow(parent, QStringLiteral("正在写入并检查%1前的备份…").arg(verb)));
    }
    if (!ok)
        Msg::generalError(parent, QStringLiteral("%1前的备份没有完成，没有%1任何数据。").arg(verb), error.message());
    return ok;
}
