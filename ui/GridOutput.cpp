#include "ui/GridOutput.h"

#include "data/Files.h"

#include "ui/DataGrid.h"
#include "ui/LongWork.h"
#include "ui/Msg.h"
#include "ui/QueryModel.h"
#include "ui/SheetFile.h"
#include "ui/XlsWriter.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <functional>

namespace GridOutput {

namespace {

// Screen sizes are pixels at this many per inch.
constexpr double kScreenDpi = 96.0;

// A list read in chunks is printed and exported whole: the rest in chunks
// that double, each told to `step` (false stops).
bool readAll(QAbstractItemModel* model, const std::function<bool(int rows)>& step = {})
{
    auto* query = qobject_cast<QueryModel*>(model);
    for (int chunk = 2000; model && model->canFetchMore({}); chunk = std::min(chunk * 2, 1 << 16)) {
        if (query)
            query->fetchMany(chunk);
        else
            model->fetchMore({});
        if (step && !step(model->rowCount()))
            return false;
    }
    return true;
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

// Lays out one printout and paints any of its pages; everything in printer
// device pixels. The layout is counted from the row heights, so a page is
// painted without the pages before it.
class Printout {
public:
    Printout(const DataGrid& grid, QPrinter& printer, const PrintOptions& options)
        : m_grid(grid),
          m_options(options),
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
        m_headingFont = m_titleFont;
        m_headingFont.setPixelSize(qRound(m_titleFont.pixelSize() * 1.4));
        m_headingFont.setBold(true);
        m_line = QPen(QColor(0x90, 0x90, 0x90), qMax(1.0, 0.75 * scale));
        layOut();
    }

    int pageCount() const { return m_firstRows.size(); }
    QSizeF pageSize() const { return {m_pageWidth, m_pageHeight}; }

    void paintPage(QPainter& painter, int page)
    {
        if (!m_model || m_columns.isEmpty() || page < 0 || page >= pageCount())
            return;  // a blank page
        m_p = &painter;
        double y = 0;
        if (page == 0 && !m_options.title.isEmpty()) {
            m_p->setFont(m_headingFont);
            m_p->setPen(Qt::black);
            m_p->drawText(QRectF(0, 0, m_pageWidth, m_headingHeight), Qt::AlignCenter | Qt::TextSingleLine,
                          m_options.title);
            y = m_headingHeight;
        }
        y = titles(y);
        const int end = page + 1 < pageCount() ? m_firstRows[page + 1] : m_model->rowCount();
        for (int r = m_firstRows[page]; r < end; ++r) {
            row(y, r);
            y += m_rowHeight;
        }
        if (page == m_footerPage)
            footer(y);
        if (m_options.pageNumbers) {
            m_p->setFont(m_cellFont);
            m_p->setPen(Qt::black);
            m_p->drawText(QRectF(0, m_pageHeight - m_rowHeight, m_pageWidth, m_rowHeight), Qt::AlignCenter,
                          QStringLiteral("第 %1 页 / 共 %2 页").arg(page + 1).arg(pageCount()));
        }
        m_p = nullptr;
    }

private:
    // Where each page's rows begin, and the page of the footer: the same
    // steps as painting them one after the other.
    void layOut()
    {
        m_firstRows = {0};
        if (!m_model || m_columns.isEmpty())
            return;
        m_headingHeight = m_options.title.isEmpty() ? 0 : m_rowHeight * 2;
        const double bottom = m_pageHeight - (m_options.pageNumbers ? m_rowHeight : 0);
        double y = m_headingHeight + m_titleHeight;
        const int rows = m_model->rowCount();
        for (int r = 0; r < rows; ++r) {
            if (y + m_rowHeight > bottom) {
                m_firstRows << r;
                y = m_titleHeight;
            }
            y += m_rowHeight;
        }
        m_footerPage = -1;
        if (m_grid.hasFooter()) {
            if (y + m_rowHeight > bottom)
                m_firstRows << rows;
            m_footerPage = int(m_firstRows.size()) - 1;
        }
    }

    double titles(double y)
    {
        if (m_titleHeight <= 0)
            return y;
        m_p->setFont(m_titleFont);
        double x = 0;
        for (int i = 0; i < m_columns.size(); ++i) {
            const QRectF cell(x, y, m_widths[i], m_titleHeight);
            m_p->fillRect(cell, QColor(0xee, 0xee, 0xee));
            const QString t = m_model->headerData(m_columns[i], Qt::Horizontal, Qt::DisplayRole).toString();
            text(cell, Qt::AlignCenter, t);
            x += m_widths[i];
        }
        return y + m_titleHeight;
    }

    void row(double y, int r)
    {
        m_p->setFont(m_cellFont);
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
        m_p->setFont(m_cellFont);
        double x = 0;
        for (int i = 0; i < m_columns.size(); ++i) {
            const QRectF cell(x, y, m_widths[i], m_rowHeight);
            m_p->fillRect(cell, DataGrid::footerColour());
            const int c = m_columns[i];
            text(cell, (m_grid.isFooterSum(c) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                 m_grid.footerText(c));
            x += m_widths[i];
        }
    }

    // The cell's frame and its text, cut with "…" where it does not fit.
    void text(const QRectF& cell, Qt::Alignment align, const QString& t)
    {
        m_p->setPen(m_line);
        m_p->drawRect(cell);
        if (t.isEmpty())
            return;
        const QRectF inner = cell.adjusted(m_pad, 0, -m_pad, 0);
        const QString shown = m_p->fontMetrics().elidedText(t, Qt::ElideRight, qFloor(inner.width()));
        m_p->setPen(Qt::black);
        m_p->drawText(inner, int(align) | Qt::TextSingleLine, shown);
    }

    const DataGrid& m_grid;
    const PrintOptions m_options;
    QPainter* m_p = nullptr;
    const QAbstractItemModel* m_model;
    QList<int> m_columns;
    QList<double> m_widths;
    QList<int> m_firstRows;
    int m_footerPage = -1;
    double m_pageWidth = 0, m_pageHeight = 0, m_rowHeight = 0, m_titleHeight = 0, m_headingHeight = 0, m_pad = 0;
    QFont m_cellFont, m_titleFont, m_headingFont;
    QPen m_line;
};

// A4 portrait with 10 mm margins: what the preview lays out and prints on.
void setUpPage(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

// Every page onto the printer, one after the other; false when cancelled.
bool printPages(Printout& out, QPrinter& printer, const std::function<bool(int)>& step = {})
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int page = 0; page < out.pageCount(); ++page) {
        if (page > 0)
            printer.newPage();
        out.paintPage(painter, page);
        if (step && !step(page + 1)) {
            painter.end();
            return false;
        }
    }
    painter.end();
    return true;
}

// The preview of a long printout: one page at a time, painted when shown,
// so a printout of thousands of pages costs one page of memory.
class PagedPreview : public QDialog {
public:
    PagedPreview(const DataGrid& grid, QPrinter& printer, const PrintOptions& options, QWidget* parent)
        : QDialog(parent),
          m_grid(grid),
          m_options(options),
          m_printer(printer),
          m_out(grid, printer, options)
    {
        setObjectName(QStringLiteral("PrintPreviewDialog"));
        setWindowTitle(QStringLiteral("打印预览"));
        resize(900, 700);
        auto* layout = new QVBoxLayout(this);
        auto* bar = new QHBoxLayout;
        auto* print = new QPushButton(QStringLiteral("打印"), this);
        print->setObjectName(QStringLiteral("PrintButton"));
        auto* back = new QPushButton(QStringLiteral("上一页"), this);
        auto* next = new QPushButton(QStringLiteral("下一页"), this);
        m_number = new QSpinBox(this);
        m_number->setObjectName(QStringLiteral("PageNumber"));
        m_number->setRange(1, m_out.pageCount());
        auto* of = new QLabel(QStringLiteral("/ 共 %1 页").arg(m_out.pageCount()), this);
        auto* close = new QPushButton(QStringLiteral("关闭"), this);
        for (QWidget* w : std::initializer_list<QWidget*>{print, back, next, m_number, of})
            bar->addWidget(w);
        bar->addStretch();
        bar->addWidget(close);
        layout->addLayout(bar);
        m_page = new QLabel(this);
        m_page->setAlignment(Qt::AlignCenter);
        auto* scroll = new QScrollArea(this);
        scroll->setWidget(m_page);
        scroll->setWidgetResizable(true);
        scroll->setBackgroundRole(QPalette::Dark);
        layout->addWidget(scroll);
        connect(back, &QPushButton::clicked, this, [this] { m_number->setValue(m_number->value() - 1); });
        connect(next, &QPushButton::clicked, this, [this] { m_number->setValue(m_number->value() + 1); });
        connect(m_number, &QSpinBox::valueChanged, this, [this](int) { showPage(); });
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        connect(print, &QPushButton::clicked, this, &PagedPreview::printAll);
        showPage();
    }

    int pageCount() const { return m_out.pageCount(); }

private:
    void showPage()
    {
        // The page at about screen size: 800 pixels wide.
        const QSizeF size = m_out.pageSize();
        const double s = 800.0 / size.width();
        QImage image(QSize(qRound(size.width() * s), qRound(size.height() * s)), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(s, s);
        m_out.paintPage(painter, m_number->value() - 1);
        painter.end();
        m_page->setPixmap(QPixmap::fromImage(image));
    }

    void printAll()
    {
        QPrintDialog dialog(&m_printer, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        // Laid out anew for the paper the dialog chose.
        Printout out(m_grid, m_printer, m_options);
        LongWork work(this, QStringLiteral("正在打印 %1 页…").arg(LongWork::count(out.pageCount())), out.pageCount(),
                      true);
        if (!printPages(out, m_printer, [&](int done) { return work.step(done); }) && work.cancelled())
            Msg::info(this, QStringLiteral("已取消"));
    }

    const DataGrid& m_grid;
    const PrintOptions m_options;
    QPrinter& m_printer;
    Printout m_out;
    QSpinBox* m_number;
    QLabel* m_page;
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

void print(const DataGrid& grid, QPrinter& printer, const PrintOptions& options)
{
    readAll(grid.model());
    Printout out(grid, printer, options);
    (void)printPages(out, printer);  // a printer that cannot start prints nothing: nothing else to tell
}

bool preview(const DataGrid& grid, QWidget* parent, const PrintOptions& options)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printer.isValid())
        return false;
    setUpPage(printer);
    {
        LongWork work(parent, QStringLiteral("正在读取数据…"), 0, true);
        if (!readAll(grid.model(), [&](int rows) { return work.step(rows); })) {
            Msg::info(parent, QStringLiteral("已取消"));
            return true;
        }
    }
    // A short printout in the standard preview; a long one a page at a time.
    Printout probe(grid, printer, options);
    if (probe.pageCount() > kPagedPreviewFrom) {
        PagedPreview dialog(grid, printer, options, parent);
        dialog.exec();
        return true;
    }
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintPreviewDialog"));
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    dialog.resize(900, 700);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&grid, &options](QPrinter* p) { print(grid, *p, options); });
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
    (void)readAll(grid.model(), [&](int rows) { return work.step(rows); });  // a cancel is read below
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
