#pragma once
// A list written as a spreadsheet file: the legacy workbook (.xls), the
// current one (.xlsx, through libxlsxwriter in constant memory) or UTF-8
// text (.csv). Pure code over typed cell values, like the .xls writer: the
// grid reads its model through the cell reader. A file is written whole or
// not at all: into a new file beside it, forced to the disk, renamed over
// the name given; a failure or a cancel leaves no file behind and an
// existing one as it was.

#include "ui/XlsWriter.h"

#include <QList>
#include <QString>
#include <functional>

namespace SheetFile {

enum class Format { Xls, Xlsx, Csv };

// The save dialog's filters, in this order, and their suffixes.
QStringList filters();
Format formatOfFilter(const QString& filter);
QString suffix(Format format);

// One sheet: titles and widths, the number of rows and how to read a cell
// (values as Xls::CellReader takes them).
struct Sheet {
    QString name;  // empty: "Sheet1", "Sheet2", …
    QList<Xls::Column> columns;
    int rowCount = 0;
    Xls::CellReader cell;
};

// Told the rows written so far (over all sheets) every few hundred rows;
// false stops the write.
using Progress = std::function<bool(qint64 rowsDone)>;

// The rows one sheet of a .xlsx holds below its titles.
inline constexpr int kXlsxRowsPerSheet = 1048575;

// Writes the sheets at `path`. A .csv holds the first sheet only; .xls
// keeps its own sheet names and limits (see Xls::workbook). False with
// `error` on a failure, and with `*cancelled` set when `progress` stopped it.
[[nodiscard]] bool write(Format format, const QString& path, const QList<Sheet>& sheets, const Progress& progress,
                         QString* error, bool* cancelled = nullptr);

}  // namespace SheetFile
