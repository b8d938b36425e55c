#include "ui/SheetFile.h"

#include "data/Files.h"
#include "data/Money.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <unistd.h>

namespace SheetFile {

namespace {

constexpr int kProgressRows = 256;
constexpr int kMaxCellText = 32767;  // what a spreadsheet cell holds

struct FilterInfo {
    Format format;
    const char* filter;
    const char* suffix;
};
const FilterInfo kFilters[] = {
    {Format::Xls, "Excel表格 (*.xls)", ".xls"},
    {Format::Xlsx, "Excel工作簿 (*.xlsx)", ".xlsx"},
    {Format::Csv, "CSV (UTF-8) (*.csv)", ".csv"},
};

// A cell as every format sees it: what the .xls writer makes of a value.
struct Cell {
    enum Kind { None, Text, Number, Amount } kind = None;
    QString text;
    double number = 0;
};

Cell classify(const QVariant& v)
{
    switch (Xls::valueKind(v)) {
    case Xls::ValueKind::None: return {};
    case Xls::ValueKind::Text: return {Cell::Text, v.toString()};
    case Xls::ValueKind::Date: return {Cell::Text, v.toDate().toString(QStringLiteral("yyyy-MM-dd"))};
    case Xls::ValueKind::Number: return {Cell::Number, v.toString(), v.toDouble()};
    case Xls::ValueKind::Amount: {
        const Money m = v.value<Money>();
        return {Cell::Amount, m.twoDecimals(), double(m.raw()) / Money::Scale};
    }
    }
    return {};
}

// A text as every format stores it (the .xls writer's rules): line breaks
// as LF, half a surrogate pair as U+FFFD, cut to what a cell holds, never
// in the middle of a character.
QString cellText(QString t)
{
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].isHighSurrogate() && i + 1 < t.size() && t[i + 1].isLowSurrogate())
            ++i;
        else if (t[i].isSurrogate())
            t[i] = QChar(QChar::ReplacementCharacter);
    }
    if (t.size() <= kMaxCellText)
        return t;
    const qsizetype n = t.at(kMaxCellText - 1).isHighSurrogate() ? kMaxCellText - 1 : kMaxCellText;
    return t.left(n);
}

// Counts rows and asks the caller whether to go on.
struct Rows {
    const Progress& progress;
    bool* cancelled;
    qint64 done = 0;
    bool stopped = false;
    bool next()
    {
        if (++done % kProgressRows == 0 && progress && !progress(done))
            stopped = true;
        return !stopped;
    }
};

// The new file beside the target: hidden, removed when anything fails.
QString partPath(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".%1.part").arg(info.fileName()));
}

bool syncFile(const QString& path, QString* error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || ::fsync(f.handle()) != 0) {
        const int err = errno;
        if (error)
            *error = fileFailure(err, QStringLiteral("写入“%1”").arg(path));
        return false;
    }
    return true;
}

// Moves the finished part over the target; the part goes on any failure.
bool finish(bool ok, const QString& part, const QString& path, QString* error)
{
    if (ok && syncFile(part, error) && renameOver(part, path, error))
        return true;
    QFile::remove(part);
    return false;
}

bool writeXls(const QString& path, const Sheet& sheet, Rows& rows, QString* error)
{
    int lastRow = -1;
    const QByteArray book = Xls::workbook(sheet.columns, sheet.rowCount, [&](int row, int column) {
        if (row != lastRow) {
            lastRow = row;
            rows.next();
        }
        // Once stopped, the rest is read as empty and the bytes dropped.
        return rows.stopped ? QVariant() : sheet.cell(row, column);
    });
    if (rows.stopped)
        return false;
    return saveFileAtomically(path, book, error);
}

bool writeCsv(const QString& path, const Sheet& sheet, Rows& rows, QString* error)
{
    const QString part = partPath(path);
    QFile f(part);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error)
            *error = fileFailure(errno, QStringLiteral("写入“%1”").arg(path));
        return false;
    }
    const auto field = [](const QString& t) {
        static const QString special = QStringLiteral(",\"\r\n");
        bool quote = t.startsWith(u' ') || t.endsWith(u' ');
        for (QChar c : t)
            quote = quote || special.contains(c);
        if (!quote)
            return t;
        QString q = t;
        q.replace(u'"', QStringLiteral("\"\""));
        return u'"' + q + u'"';
    };
    // A BOM, so that spreadsheet programs read the Chinese as UTF-8.
    QByteArray buffer("\xEF\xBB\xBF");
    const auto line = [&](const QStringList& cells) {
        buffer += cells.join(u',').toUtf8();
        buffer += "\r\n";
    };
    QStringList titles;
    for (const Xls::Column& c : sheet.columns)
        titles << field(cellText(c.title));
    line(titles);
    bool ok = true;
    for (int r = 0; r < sheet.rowCount && ok; ++r) {
        QStringList cells;
        for (int c = 0; c < sheet.columns.size(); ++c)
            cells << field(cellText(classify(sheet.cell(r, c)).text));
        line(cells);
        if (buffer.size() > (1 << 16) || r + 1 == sheet.rowCount) {
            ok = f.write(buffer) == buffer.size();
            buffer.clear();
        }
        if (!rows.next())
            break;
    }
    if (sheet.rowCount == 0)
        ok = f.write(buffer) == buffer.size();
    ok = ok && f.flush();
    const int err = errno;
    f.close();
    if (!ok && !rows.stopped && error)
        *error = fileFailure(err, QStringLiteral("写入“%1”").arg(path));
    return finish(ok && !rows.stopped, part, path, error);
}

QString xlsxError(lxw_error e) { return QString::fromUtf8(lxw_strerror(e)); }

bool writeXlsx(const QString& path, const QList<Sheet>& sheets, Rows& rows, QString* error)
{
    const QString part = partPath(path);
    QFile::remove(part);
    const QByteArray partName = QFile::encodeName(part);
    const QByteArray tmpDir = QFile::encodeName(QDir::tempPath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(tmpDir.constData());
    lxw_workbook* book = workbook_new_opt(partName.constData(), &options);
    if (!book) {
        if (error)
            *error = fileFailure(errno, QStringLiteral("写入“%1”").arg(path));
        return false;
    }
    lxw_format* amount = workbook_add_format(book);
    format_set_num_format(amount, "0.00");
    lxw_format* title = workbook_add_format(book);
    format_set_bold(title);
    int sheetNumber = 0;
    lxw_error failed = LXW_NO_ERROR;
    for (const Sheet& sheet : sheets) {
        // A list longer than a sheet goes on over further sheets.
        for (int first = 0; first < std::max(sheet.rowCount, 1) && !failed && !rows.stopped;
             first += kXlsxRowsPerSheet) {
            ++sheetNumber;
            QString name = sheet.name.isEmpty() ? QStringLiteral("Sheet%1").arg(sheetNumber) : sheet.name;
            if (first > 0)
                name = QStringLiteral("%1 (%2)")
                           .arg(sheet.name.isEmpty() ? QStringLiteral("Sheet") : sheet.name)
                           .arg(first / kXlsxRowsPerSheet + 1);
            lxw_worksheet* ws = workbook_add_worksheet(book, name.left(31).toUtf8().constData());
            if (!ws) {
                failed = LXW_ERROR_SHEETNAME_ALREADY_USED;
                break;
            }
            for (int c = 0; c < sheet.columns.size(); ++c) {
                worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::max(1.0, sheet.columns[c].widthPixels / 7.0),
                                     nullptr);
                const QByteArray t = cellText(sheet.columns[c].title).toUtf8();
                failed = worksheet_write_string(ws, 0, lxw_col_t(c), t.constData(), title);
                if (failed)
                    break;
            }
            const int last = std::min(sheet.rowCount, first + kXlsxRowsPerSheet);
            for (int r = first; r < last && !failed; ++r) {
                const lxw_row_t row = lxw_row_t(r - first + 1);
                for (int c = 0; c < sheet.columns.size() && !failed; ++c) {
                    const Cell cell = classify(sheet.cell(r, c));
                    if (cell.kind == Cell::Text) {
                        // A NUL would end the library's C string; the format writes it escaped.
                        const QByteArray t = cellText(cell.text).toUtf8().replace('\0', "_x0000_");
                        failed = worksheet_write_string(ws, row, lxw_col_t(c), t.constData(), nullptr);
                    } else if (cell.kind != Cell::None) {
                        failed = worksheet_write_number(ws, row, lxw_col_t(c), cell.number,
                                                        cell.kind == Cell::Amount ? amount : nullptr);
                    }
                }
                if (!rows.next())
                    break;
            }
        }
    }
    // Closing writes the file; a stopped or failed one is removed after.
    errno = 0;
    const lxw_error closed = workbook_close(book);
    const int closeErrno = errno;
    if (failed && error)
        *error = xlsxError(failed);
    else if (closed && error)
        *error = closeErrno ? fileFailure(closeErrno, QStringLiteral("写入“%1”").arg(path)) : xlsxError(closed);
    return finish(!failed && !closed && !rows.stopped, part, path, error);
}

}  // namespace

QStringList filters()
{
    QStringList out;
    for (const FilterInfo& f : kFilters)
        out << QString::fromUtf8(f.filter);
    return out;
}

Format formatOfFilter(const QString& filter)
{
    for (const FilterInfo& f : kFilters)
        if (filter == QString::fromUtf8(f.filter))
            return f.format;
    return Format::Xls;
}

QString suffix(Format format)
{
    for (const FilterInfo& f : kFilters)
        if (f.format == format)
            return QString::fromLatin1(f.suffix);
    return QStringLiteral(".xls");
}

bool write(Format format, const QString& path, const QList<Sheet>& sheets, const Progress& progress, QString* error,
           bool* cancelled)
{
    Rows rows{progress, cancelled};
    bool ok = false;
    if (sheets.isEmpty()) {
        ok = false;
    } else if (format == Format::Xls) {
        ok = writeXls(path, sheets.first(), rows, error);
    } else if (format == Format::Csv) {
        ok = writeCsv(path, sheets.first(), rows, error);
    } else {
        ok = writeXlsx(path, sheets, rows, error);
    }
    if (cancelled)
        *cancelled = rows.stopped;
    if (rows.stopped && error)
        *error = QStringLiteral("已取消");
    return ok && !rows.stopped;
}

}  // namespace SheetFile
