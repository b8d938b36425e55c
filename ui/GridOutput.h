#pragma once
// What a grid hands on: a printout of what it shows (visible columns in view
// order, every row, the footer) and a copy of its rows as an Excel workbook.

#include "ui/SheetFile.h"

#include <QList>
#include <QString>

class DataGrid;
class QPrinter;
class QWidget;

namespace GridOutput {

// The grid's visible columns, in the order the view shows them.
QList<int> shownColumns(const DataGrid& grid);

// What a household may want on paper besides the list: a title line on the
// first page and "第 N 页 / 共 M 页" at the foot of each. None by default.
struct PrintOptions {
    QString title;
    bool pageNumbers = false;
};

// Paints the grid onto `printer`, laid out anew from its page rectangle:
// sizes as on screen at 96 pixels per inch (scaled down when the columns are
// wider than the page), titles atop every page, the rows over as many pages
// as they need, the footer once after the last row. Texts too long for
// their column end in "…". An empty grid gives one blank page.
void print(const DataGrid& grid, QPrinter& printer, const PrintOptions& options = {});

// A printout of more pages than this is previewed a page at a time.
inline constexpr int kPagedPreviewFrom = 50;

// The print preview (A4 portrait, 10 mm margins), from which the user
// prints: the list read to its end first (with progress and 取消), then
// the standard preview, or for a long printout one that paints only the
// page shown. False, with nothing shown, when there is no usable printer.
bool preview(const DataGrid& grid, QWidget* parent, const PrintOptions& options = {});

// The file written for a name chosen in the save dialog: ".xls" appended
// unless the name ends in ".xls" already, in any letter case.
QString xlsFileName(const QString& chosen);

// Writes the grid's rows, with the column titles and widths, as an Excel
// workbook at `path`: the whole file or, on failure, nothing (an existing
// file of that name stays as it was); `error` gets the system's reason.
[[nodiscard]] bool writeXls(const DataGrid& grid, const QString& path, QString* error);

// The export as the user goes through it: the save dialog titled `title`
// with the formats .xls (the first and default), .xlsx and .csv, the
// question before replacing a file, then exportTo. The dialog opens where
// the last export of this run went, at first in the home folder.
void exportXls(const DataGrid& grid, QWidget* parent, const QString& title);

// An export that took longer than this ends with "导出完成：<file>（N 行）".
inline constexpr int kExportNoticeMs = 2000;
// Reads the grid's list to its end and writes it at `target` with a
// progress window after half a second; 取消 leaves no file and says
// "已取消"; a failure's message. True when the file was written.
bool exportTo(const DataGrid& grid, QWidget* parent, SheetFile::Format format, const QString& target);

}  // namespace GridOutput
