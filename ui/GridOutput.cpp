#include "ui/GridOutput.h"

#include "data/Files.h"

#include "ui/DataGrid.h"
#include "ui/LongWork.h"
#include "ui/Msg.h"
#include "ui/SheetFile.h"
#include "ui/XlsWriter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace GridOutput {

namespace {

// Screen sizes are pixels at this many per inch.
constexpr double kScreenDpi = 96.0;

// A list read in chunks is printed and exported whole.
void readAll(QAbstractItemModel* model)
{
    while (model && model->canFetchMore({}))
        model->fetchMore({});
}

QFont scaled(QFont font, double scale)
{
    const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kScreenDpi / 72.0;
    font.setPixelSize(qMax(1, qRound(px * scale)));
    return font;
}

int titleHeight(const DataGrid& grid)
{
    const QHeaderView* h = grid.horizontalHeader();
    if (h->isHidden())
        return 0;
    // A page fixes the title height; otherwise what the header asks for.
    return h->maximumHeight() < QWIDGETSIZE_MAX ? h->maximumHeight() : h->sizeHint().height();
}

Qt::Alignment cellAlignment(const QAbstractItemModel* model, int row, int column)
{
    const QVariant a = model->index(row, column).data(Qt::TextAlignmentRole);
    const Qt::Alignment h = a.isValid() ? Qt::Alignment(a.toInt()) & Qt::AlignHorizontal_Mask : Qt::AlignLeft;
    return h | Qt::AlignVCenter;
}

// Lays out and paints one printout; everything in printer device pixels.
class Printout {
public:
    Printout(const DataGrid& grid, QPrinter& printer, QPainter& painter)
        : m_grid(grid),
          m_printer(printer),
          m_p(painter),
          m_model(grid.model())
    {
        const QRectF page = printer.pageRect(QPrinter::DevicePixel);
        m_pageWidth = page.width();
        m_pageHeight = page.height();
        double scale = printer.resolution() / kScreenDpi;
        m_columns = shownColumns(grid);
        double width = 0;
        for (int c : m_columns)
            width += grid.columnWidth(c);
        // Too wide for the page: everything shrinks alike, nothing is cut off.
        if (width * scale > m_pageWidth && width > 0)
            scale = m_pageWidth / width;
        for (int c : m_columns)
            m_widths << grid.columnWidth(c) * scale;
        m_rowHeight = grid.verticalHeader()->defaultSectionSize() * scale;
        m_titleHeight = titleHeight(grid) * scale;
        m_pad = 3 * scale;
        m_cellFont = scaled(grid.font(), scale);
        m_titleFont = scaled(grid.horizontalHeader()->font(), scale);
        m_line = QPen(QColor(0x90, 0x90, 0x90), qMax(1.0, 0.75 * scale));
    }

    void paint()
    {
        if (!m_model || m_columns.isEmpty())
            return;  // one blank page
        double y = titles(0);
        const int rows = m_model->rowCount();
        for (int r = 0; r < rows; ++r) {
            if (y + m_rowHeight > m_pageHeight)
                y = nextPage();
            row(y, r);
            y += m_rowHeight;
        }
        if (m_grid.hasFooter()) {
            if (y + m_rowHeight > m_pageHeight)
                y = nextPage();
            footer(y);
        }
    }

private:
    double nextPage()
    {
        m_printer.newPage();
        return titles(0);
    }

    double titles(double y)
    {
        if (m_titleHeight <= 0)
            return y;
        m_p.setFont(m_titleFont);
        double x = 0;
        for (int i = 0; i < m_columns.size(); ++i) {
            const QRectF cell(x, y, m_widths[i], m_titleHeight);
            m_p.fillRect(cell, QColor(0xee, 0xee, 0xee));
            const QString t = m_model->headerData(m_columns[i], Qt::Horizontal, Qt::DisplayRole).toString();
            text(cell, Qt::AlignCenter, t);
            x += m_widths[i];
        }
        return y + m_titleHeight;
    }

    void row(double y, int r)
    {
        m_p.setFont(m_cellFont);
        double x = 0;
        for (int i = 0; i < m_columns.size(); ++i) {
            const QRectF cell(x, y, m_widths[i], m_rowHeight);
            const QString t = m_model->index(r, m_columns[i]).data(Qt::DisplayRole).toString();
            text(cell, cellAlignment(m_model, r, m_columns[i]), t);
            x += m_widths[i];
        }
    }

    void footer(double y)
    {
        m_p.setFont(m_cellFont);
        double x = 0;
        for (int i = 0; i < m_columns.size(); ++i) {
            const QRectF cell(x, y, m_widths[i], m_rowHeight);
            m_p.fillRect(cell, DataGrid::footerColour());
            const int c = m_columns[i];
            text(cell, (m_grid.isFooterSum(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                 m_grid.footerText(c));
            x += m_widths[i];
        }
    }

    // The cell's frame and its text, cut with "…" where it does not fit.
    void text(const QRectF& cell, Qt::Alignment align, const QString& t)
    {
        m_p.setPen(m_line);
        m_p.drawRect(cell);
        if (t.isEmpty())
            return;
        const QRectF inner = cell.adjusted(m_pad, 0, -m_pad, 0);
        const QString shown = m_p.fontMetrics().elidedText(t, Qt::ElideRight, qFloor(inner.width()));
        m_p.setPen(Qt::black);
        m_p.drawText(inner, int(align) | Qt::TextSingleLine, shown);
    }

    const DataGrid& m_grid;
    QPrinter& m_printer;
    QPainter& m_p;
    const QAbstractItemModel* m_model;
    QList<int> m_columns;
    QList<double> m_widths;
    double m_pageWidth = 0, m_pageHeight = 0, m_rowHeight = 0, m_titleHeight = 0, m_pad = 0;
    QFont m_cellFont, m_titleFont;
    QPen m_line;
};

QString& lastExportFolder()
{
    static QString folder = QDir::homePath();
    return folder;
}

}  // namespace

QList<int> shownColumns(const DataGrid& grid)
{
    QList<int> out;
    const QHeaderView* h = grid.horizontalHeader();
    if (!grid.model())
        return out;
    for (int v = 0; v < h->count(); ++v) {
        const int c = h->logicalIndex(v);
        if (c >= 0 && !grid.isColumnHidden(c))
            out << c;
    }
    return out;
}

void print(const DataGrid& grid, QPrinter& printer)
{
    readAll(grid.model());
    QPainter painter;
    if (!painter.begin(&printer))
        return;
    Printout(grid, printer, painter).paint();
    painter.end();
}

bool preview(const DataGrid& grid, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printer.isValid())
        return false;
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintPreviewDialog"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    dialog.resize(900, 700);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&grid](QPrinter* p) { print(grid, *p); });
    dialog.exec();
    return true;
}

QString xlsFileName(const QString& chosen) { return withSuffix(chosen, QStringLiteral(".xls")); }

// The grid's shown columns and rows as one sheet.
static SheetFile::Sheet sheetOf(const DataGrid& grid)
{
    QAbstractItemModel* model = grid.model();
    SheetFile::Sheet sheet;
    const QList<int> shown = shownColumns(grid);
    for (int c : shown)
        sheet.columns << Xls::Column{model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                                     grid.columnWidth(c)};
    sheet.rowCount = model ? model->rowCount() : 0;
    // Values as the model holds them, so a type is never guessed from text.
    sheet.cell = [model, shown](int row, int column) { return model->index(row, shown[column]).data(Qt::EditRole); };
    return sheet;
}

bool writeXls(const DataGrid& grid, const QString& path, QString* error)
{
    readAll(grid.model());
    // A new file renamed over the old one: a failure leaves the old as it was.
    return SheetFile::write(SheetFile::Format::Xls, path, {sheetOf(grid)}, {}, error);
}

bool exportTo(const DataGrid& grid, QWidget* parent, SheetFile::Format format, const QString& target)
{
    LongWork work(parent, QStringLiteral("正在读取数据…"), 0, true);
    // A list read in chunks is read to its end first, a chunk a step.
    QAbstractItemModel* model = grid.model();
    while (model && model->canFetchMore({})) {
        model->fetchMore({});
        if (!work.step(model->rowCount()))
            break;
    }
    QString error;
    bool cancelled = work.cancelled();
    bool ok = false;
    qint64 rows = 0;
    if (!cancelled) {
        const SheetFile::Sheet sheet = sheetOf(grid);
        rows = sheet.rowCount;
        work.restart(QStringLiteral("正在导出 %1 行…").arg(LongWork::count(rows)), rows);
        ok = SheetFile::write(
            format, target, {sheet}, [&](qint64 done) { return work.step(done); }, &error, &cancelled);
    }
    const qint64 took = work.elapsedMs();
    if (cancelled) {
        Msg::info(parent, QStringLiteral("已取消"));
        return false;
    }
    if (!ok) {
        Msg::error(parent, QStringLiteral("导出失败：") + error);
        return false;
    }
    lastExportFolder() = QFileInfo(target).absolutePath();
    // A short export stays silent; one the user waited on says it is done.
    if (took > kExportNoticeMs)
        Msg::info(parent, QStringLiteral("导出完成：%1（%2 行）").arg(target, LongWork::count(rows)));
    return true;
}

void exportXls(const DataGrid& grid, QWidget* parent, const QString& title)
{
    QFileDialog dialog(parent, title, lastExportFolder());
    dialog.setNameFilters(SheetFile::filters());
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The file written may not be the one named (the suffix is added): the
    // question is asked about the file that is written.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const SheetFile::Format format = SheetFile::formatOfFilter(dialog.selectedNameFilter());
    const QString target = withSuffix(dialog.selectedFiles().constFirst(), SheetFile::suffix(format));
    if (QFileInfo::exists(target)
        && !Msg::confirm(parent, QStringLiteral("文件“%1”已存在，是否替换？").arg(QFileInfo(target).fileName())))
        return;
    (void)exportTo(grid, parent, format, target);  // each outcome is told by exportTo
}

}  // namespace GridOutput
