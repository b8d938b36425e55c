#pragma once
// Files the program writes besides its database (backups, exports, notes),
// and failures told the way a household reads them: the cause in Chinese
// first ("磁盘空间不足"), the system's own words on the next line.

#include <QByteArray>
#include <QString>

// The cause of a failed file operation from the system's error number:
// "磁盘空间不足", "没有写入权限", "文件夹不存在", "文件正被其他程序使用"; empty
// when the number says nothing a household could act on.
QString fileProblem(int errorNumber);

// "<cause>\n<what>：<system text>", or without the cause line when there is
// none. `what` says which file and what was done to it.
QString fileFailure(int errorNumber, const QString& what);

// `chosen` with `suffix` (".bak", ".xls") added unless it ends in it already,
// in any letter case: what a save dialog's name becomes.
QString withSuffix(const QString& chosen, const QString& suffix);

// Writes `bytes` to `path` as one step: a new file beside it, forced to the
// disk, renamed over `path`. A failure leaves `path` as it was and no new
// file behind; `error` gets fileFailure's text.
[[nodiscard]] bool saveFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Copies `from` into the new file `to` (which must not exist), forced to the
// disk. A failure removes `to`. `fromFd` >= 0: read that open descriptor
// from its start instead of opening `from` (the name is still used in
// messages).
[[nodiscard]] bool copyFileSynced(const QString& from, const QString& to, QString* error = nullptr, int fromFd = -1);

// Replaces `to` by `from` in one step (POSIX rename).
[[nodiscard]] bool renameOver(const QString& from, const QString& to, QString* error = nullptr);
