// The calendar control's day grid: its widget, layout, painting and input.
#include "calendar/TChnCalendar.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

const char* const kWeekLong[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
const char* const kWeekShort[] = {"日", "一", "二", "三", "四", "五", "六"};

constexpr int kHeaderHeight = 18;

}  // namespace

// The day grid: 9 columns × 7 rows, drawn by the control over its own background.
class CalendarGrid : public QWidget {
public:
    explicit CalendarGrid(TChnCalendar* owner) : QWidget(owner), m_owner(owner)
    {
        setObjectName(QStringLiteral("Grid"));
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        m_owner->paintGrid(p, hasFocus());
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        m_owner->gridMousePress(e->position().toPoint(), e->button());
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        m_owner->gridMouseRelease(e->position().toPoint(), e->button());
        e->accept();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!m_owner->gridKey(e->key()))
            QWidget::keyPressEvent(e);
    }
    void contextMenuEvent(QContextMenuEvent* e) override
    {
        // Without the title row the year menu is the grid's.
        if (!m_owner->showTitle())
            m_owner->m_menuYear->popup(e->globalPos());
    }
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }

private:
    TChnCalendar* m_owner;
};

void TChnCalendar::buildGrid() { m_grid = new CalendarGrid(this); }

QWidget* TChnCalendar::grid() const { return m_grid; }

// ---------------------------------------------------------------- layout

void TChnCalendar::layoutGrid()
{
    const int cw = m_grid->width(), ch = m_grid->height();
    // One pixel of grid line follows every row and column.
    m_colW[0] = std::min(cw, m_showWeekNum ? 18 : 6);
    const int colW = std::max(0, (cw - m_colW[0]) / 7 - 1);
    m_colX[0] = 0;
    for (int c = 1; c < 9; ++c) {
        m_colX[c] = m_colX[c - 1] + m_colW[c - 1] + 1;
        m_colW[c] = c < 8 ? colW : std::max(0, cw - m_colX[c]);
    }
    m_rowH[0] = std::min(ch, kHeaderHeight);
    const int rowH = std::max(0, (ch - kHeaderHeight) / 6 - 1);
    m_rowY[0] = 0;
    for (int r = 1; r < 7; ++r) {
        m_rowY[r] = m_rowY[r - 1] + m_rowH[r - 1] + 1;
        m_rowH[r] = r < 6 ? rowH : std::max(0, ch - m_rowY[r]);
    }
}

QRect TChnCalendar::cellRect(int column, int row) const
{
    if (column < 0 || column > 8 || row < 0 || row > 6)
        return QRect();
    ensureLayout();
    return QRect(m_colX[column], m_rowY[row], m_colW[column], m_rowH[row]).translated(m_grid->pos());
}

QStringList TChnCalendar::headerTexts() const
{
    ensureLayout();
    QStringList out;
    const QFontMetrics fm(font());
    for (int c = 0; c < 9; ++c) {
        QString t;
        if (c == 0 && m_showWeekNum)
            t = QStringLiteral("W");
        else if (c >= 1 && c <= 7)
            t = QString::fromUtf8(m_colW[c] - 2 > 36 ? kWeekLong[c - 1] : kWeekShort[c - 1]);
        out << fm.elidedText(t, Qt::ElideRight, std::max(0, m_colW[c]));
    }
    return out;
}

// ---------------------------------------------------------------- painting

void TChnCalendar::paintBackground()
{
    if (m_back.size() != size())
        m_back = QImage(size(), QImage::Format_RGB32);
    if (m_back.isNull())
        return;
    m_back.fill(Qt::white);
    QPainter p(&m_back);
    if (m_showFrame) {
        p.setPen(toColor(colour(Colour::ColorShowFrame)));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_showBackYearMonth && m_hasDate) {
        const QRect g = m_grid->geometry();
        const int bottom = g.y() + g.height(), half = bottom / 2;
        p.setFont(pointFont("Arial Black", 48, QFont::Black));
        p.setPen(toColor(colour(Colour::ColorBackYear)));
        p.drawText(QRect(g.x(), g.y() + 6, g.width(), half - g.y()), Qt::AlignCenter, QString::number(m_sel.y));
        p.setFont(pointFont("Arial Black", 90, QFont::Black));
        p.setPen(toColor(colour(Colour::ColorBackMonth)));
        p.drawText(QRect(g.x(), half, g.width(), bottom - half), Qt::AlignCenter, QString::number(m_sel.m));
    }
    p.end();

    if (m_backGround.isNull())
        return;
    QImage layer(size(), QImage::Format_RGB32);
    layer.fill(Qt::white);
    {
        QPainter lp(&layer);
        const int W = width(), H = height(), pw = m_backGround.width(), ph = m_backGround.height();
        if (m_stretch && pw > 0 && ph > 0) {
            const double r = double(pw) / ph;
            int fw, fh;
            if (pw >= ph) {
                fw = W;
                fh = int(W / r);
                if (fh > H) {
                    fh = H;
                    fw = int(r * H);
                }
            } else {
                fh = H;
                fw = int(r * H);
                if (fw > W) {
                    fw = W;
                    fh = int(W / r);
                }
            }
            const QPoint at = m_center ? QPoint((W - fw) / 2, (H - fh) / 2) : QPoint(0, 0);
            lp.drawPixmap(QRect(at, QSize(fw, fh)), m_backGround);
        } else if (m_center) {
            lp.drawPixmap((W - pw) / 2, (H - ph) / 2, m_backGround);
        } else {
            lp.drawPixmap(0, 0, m_backGround);
        }
    }
    // 100 % shows the picture itself; larger values wrap as a per-cent figure would.
    const int pct = m_alphaBlend > 100 ? m_alphaBlend % 100 : m_alphaBlend;
    const QRgb key = layer.pixel(0, 0);
    for (int yy = 0; yy < layer.height(); ++yy) {
        const QRgb* src = reinterpret_cast<const QRgb*>(layer.constScanLine(yy));
        QRgb* dst = reinterpret_cast<QRgb*>(m_back.scanLine(yy));
        for (int xx = 0; xx < layer.width(); ++xx) {
            if (src[xx] == key)
                continue;
            auto mix = [pct](int b, int s) { return std::clamp(((100 - pct) * b + pct * s) / 100, 0, 255); };
            dst[xx] = qRgb(mix(qRed(dst[xx]), qRed(src[xx])), mix(qGreen(dst[xx]), qGreen(src[xx])),
                           mix(qBlue(dst[xx]), qBlue(src[xx])));
        }
    }
}

void TChnCalendar::refreshGrid()
{
    update();
    m_grid->update();
}

void TChnCalendar::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.drawImage(e->rect(), m_back, e->rect());
}

void TChnCalendar::paintGrid(QPainter& p, bool focused)
{
    p.drawImage(QPoint(0, 0), m_back, m_grid->geometry());
    const QStringList headers = headerTexts();
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 9; ++col)
            paintCell(p, col, row, focused, headers);
}

void TChnCalendar::paintCell(QPainter& p, int col, int row, bool focused, const QStringList& headers)
{
    const QRect r(m_colX[col], m_rowY[row], m_colW[col], m_rowH[row]);
    if (r.isEmpty() || col == 8)
        return;
    const QColor weekLine = toColor(colour(Colour::ColorTitleWeekLine));
    const bool weekNumLine = m_showWeekNum && m_showWeekNumLine && col == 0;

    if (row == 0) {
        p.setFont(font());
        p.setPen(toColor(col == 0               ? colour(Colour::ColorWeekNum)
                         : col == 1 || col == 7 ? colour(Colour::ColorTitleWeekEnd)
                                                : colour(Colour::ColorTitleWeek)));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, headers.value(col));
        if (col > 0 || m_showWeekNum) {
            // Across the gap to the next cell, so the line runs unbroken.
            p.setPen(weekLine);
            p.drawLine(r.left(), r.bottom() - 4, r.right() + 1, r.bottom() - 4);
        }
        if (weekNumLine)
            p.drawLine(r.right(), r.top(), r.right(), r.bottom() + 1);
        return;
    }
    if (col == 0) {
        if (!m_showWeekNum)
            return;
        p.setFont(songti9());
        p.setPen(toColor(colour(Colour::ColorWeekNum)));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, m_sheet.weekNumbers[row - 1]);
        if (weekNumLine) {
            p.setPen(weekLine);
            p.drawLine(r.right(), r.top(), r.right(), r.bottom() + 1);
        }
        return;
    }

    const int index = col + 7 * (row - 1);
    const TcnDateInf c = cell(index);
    if (!c.valid)
        return;
    if (index >= 40) {
        const QRect text = r.adjusted(0, 8, 0, 0);
        p.setFont(songti9());
        p.setPen(
            toColor(index == 40 ? colour(Colour::ColorTitleConstellation) : colour(Colour::ColorTitleAnimalsYear)));
        const Qt::Alignment h = index == 40 ? Qt::AlignHCenter : index == 41 ? Qt::AlignRight : Qt::AlignLeft;
        p.drawText(text, h | Qt::AlignBottom | Qt::TextSingleLine, c.shownText);
        return;
    }

    const bool selected = col == m_curCol && row == m_curRow && (!m_hideSelection || focused);
    if (selected) {
        const QColor s = toColor(colour(Colour::ColorSelectedStart)), e = toColor(colour(Colour::ColorSelectedEnd));
        // 256 bands from the start colour at the top to the end colour at the bottom.
        for (int y = 0; y < r.height(); ++y) {
            const int k = y * 256 / r.height() + 1;
            auto channel = [k](int a, int b) { return a + k * (b - a) / 256; };
            p.fillRect(r.left(), r.top() + y, r.width(), 1,
                       QColor(channel(s.red(), e.red()), channel(s.green(), e.green()), channel(s.blue(), e.blue())));
        }
    }

    const QRect upper(r.left() + 2, r.top(), std::max(0, r.width() - 4), r.height() / 2);
    bool defaultDraw = true;
    p.save();
    OnDrawDateCell(this, c.day, &p, upper, selected, c.dayText, defaultDraw);
    p.restore();
    if (defaultDraw) {
        p.setFont(m_fontDate);
        p.setPen(toColor(c.dayColor));
        p.drawText(upper, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, c.dayText);
    }

    const QRect lower(r.left() + 2, r.top() + r.height() / 2, std::max(0, r.width() - 4), r.height() - r.height() / 2);
    defaultDraw = true;
    p.save();
    OnDrawCnDateCell(this, c.day, &p, lower, selected, c.shownText, defaultDraw);
    p.restore();
    if (defaultDraw) {
        p.setFont(m_fontCnDate);
        p.setPen(toColor(c.lunarColor));
        p.drawText(lower, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, c.shownText);
        if (selected) {
            p.setPen(toColor(colour(Colour::ColorSelectedFrame)));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
}

void TChnCalendar::OnDrawDateCell(QObject*, int, QPainter*, const QRect&, bool, const QString&, bool&) {}

void TChnCalendar::OnDrawCnDateCell(QObject*, int, QPainter*, const QRect&, bool, const QString&, bool&) {}

// ---------------------------------------------------------------- input

bool TChnCalendar::cellAt(const QPoint& pos, int& column, int& row) const
{
    column = row = -1;
    for (int c = 0; c < 9; ++c)
        if (pos.x() >= m_colX[c] && pos.x() < m_colX[c] + m_colW[c])
            column = c;
    for (int r = 0; r < 7; ++r)
        if (pos.y() >= m_rowY[r] && pos.y() < m_rowY[r] + m_rowH[r])
            row = r;
    return column >= 0 && row >= 0;
}

bool TChnCalendar::selectCell(int column, int row)
{
    if (column <= 0 || column >= 8 || row <= 0 || row > 6)
        return false;
    const int index = column + 7 * (row - 1);
    if (index > MonthSheet::kDayCells || !m_sheet.cells[index].valid)
        return false;
    m_curCol = column;
    m_curRow = row;
    SetDate({m_sel.y, m_sel.m, m_sheet.cells[index].day}, m_time);
    if (m_mouseSelect)
        emit OnDateClick();
    m_grid->update();
    return true;
}

void TChnCalendar::gridMousePress(const QPoint& pos, Qt::MouseButton button)
{
    m_grid->setFocus(Qt::MouseFocusReason);
    m_pressInGrid = button == Qt::LeftButton;
    int col, row;
    if (button != Qt::LeftButton || !cellAt(pos, col, row))
        return;
    // Only this press's own choice counts as a click on a day.
    m_mouseSelect = true;
    selectCell(col, row);
    m_mouseSelect = false;
}

void TChnCalendar::gridMouseRelease(const QPoint& pos, Qt::MouseButton button)
{
    const bool pressed = m_pressInGrid && button == Qt::LeftButton;
    m_pressInGrid = false;
    int col, row;
    if (pressed && cellAt(pos, col, row) && col == m_curCol && row == m_curRow)
        emit OnDateSelect();
}

bool TChnCalendar::gridKey(int key)
{
    int col = m_curCol, row = m_curRow;
    switch (key) {
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    default: return false;
    }
    selectCell(col, row);  // a refused cell leaves the current one
    return true;
}

// Events sent to the control itself over the grid reach the grid.
void TChnCalendar::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (!m_grid->isHidden() && m_grid->geometry().contains(pos))
        gridMousePress(pos - m_grid->pos(), e->button());
    else
        QWidget::mousePressEvent(e);
}

void TChnCalendar::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (!m_grid->isHidden() && m_grid->geometry().contains(pos))
        gridMouseRelease(pos - m_grid->pos(), e->button());
    else
        QWidget::mouseReleaseEvent(e);
}

void TChnCalendar::keyPressEvent(QKeyEvent* e)
{
    if (!gridKey(e->key()))
        QWidget::keyPressEvent(e);
}
