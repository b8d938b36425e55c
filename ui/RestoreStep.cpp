#include "ui/RestoreStep.h"

#include "data/Backup.h"
#include "data/Clock.h"
#include "ui/LongWork.h"
#include "ui/Msg.h"
#include "ui/WaitCursor.h"

bool restoreWithQuestion(QWidget* parent, const QString& backup, bool ask)
{
    // The copy that would replace the household's file is checked before
    // anything is asked.
    QString staged;
    DbError error;
    bool ok, refused = false;
    {
        WaitCursor wait;
        ok = stageRestore(Database::shared(), backup, &staged, &error, &refused,
                          LongWork::besideWindow(parent, QStringLiteral("正在检查备份文件…")));
    }
    if (!ok) {
        Msg::generalError(parent,
                          refused ? QStringLiteral("所选文件不是可用的数据库备份，没有还原。")
                                  : QStringLiteral("数据库还原失败，现有数据没有改变。"),
                          error);
        return false;
    }
    if (ask && !Msg::confirm(parent, QStringLiteral("还原数据后将覆盖现有数据，是否确定还原数据库？"))) {
        discardRestore(staged);
        return false;
    }
    {
        WaitCursor wait;
        ok = installRestore(Database::shared(), staged, Clock::now(), nullptr, &error);
    }
    if (!ok) {
        Msg::generalError(parent, QStringLiteral("数据库还原失败，现有数据没有改变。"), error);
        return false;
    }
    Msg::notice(parent, QStringLiteral("数据库还原成功，请重新打开软件！"));
    return true;
}
