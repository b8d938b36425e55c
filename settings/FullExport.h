#pragma once
// 导出全部数据: every table a household owns in one .xlsx, a sheet each, for
// a household that wants its data outside the program. The rows are read
// as they are written (one statement per sheet, stepped row by row), so a
// twenty-year file needs no more memory than a few rows.

#include "ui/SheetFile.h"

class QWidget;

namespace FullExport {

struct SheetQuery {
    const char* name;  // the sheet's name
    const char* sql;   // its columns titled by their aliases, rows in a stable order
};
// The sheets, in order: records, categories, accounts, transfers, loans,
// budgets, members, recurring plans, diary.
const QList<SheetQuery>& sheets();

// Writes every sheet at `path` (progress and cancel as SheetFile::write).
// False with `error` on a failed read or write.
[[nodiscard]] bool write(const QString& path, const SheetFile::Progress& progress, QString* error,
                         bool* cancelled = nullptr, qint64* rows = nullptr);

// The whole path from the button: the save dialog (.xlsx), the replace
// question, the progress window, and what came of it.
void run(QWidget* parent);

}  // namespace FullExport
