#include "calendar/TChnCalendar.h"

#include "calendar/LunarCalc.h"
#include "data/Clock.h"
#include "ui/ClickLabel.h"
#include "ui/Theme.h"

#include <QCalendar>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSpinBox>
#include <algorithm>

namespace {

const char* const kMonthNames[]
    = {"一月", "二月", "三月", "四月", "五月", "六月", "七月", "八月", "九月", "十月", "十一月", "十二月"};

constexpr int kRed = 255;
constexpr int kMonthLabelRight = 45;  // the month number ends where "月" begins

bool sameDate(const CivilDate& a, const CivilDate& b) { return a.y == b.y && a.m == b.m && a.d == b.d; }

bool exists(const CivilDate& c)
{
    return c.m >= 1 && c.m <= 12 && c.d >= 1 && c.d <= DaysInMonth(c.y, c.m) && CalendarKind(c.y, c.m, c.d) != 0;
}

// The day itself or the nearest earlier day of its month that exists; 0 when none does.
int existingDay(int y, int m, int d)
{
    d = std::min(d, DaysInMonth(y, m));
    while (d >= 1 && CalendarKind(y, m, d) == 0)
        --d;
    return d;
}

// The steppers: a spin box that shows only its arrows, as an up-down control.
class UpDown : public QSpinBox {
public:
    UpDown(const char* name, int minimum, int maximum, QWidget* parent) : QSpinBox(parent)
    {
        setObjectName(QString::fromLatin1(name));
        setRange(minimum, maximum);
        // The grid keeps the keyboard while the arrows are clicked.
        setFocusPolicy(Qt::NoFocus);
        lineEdit()->hide();
        setStyleSheet(
            QStringLiteral("QSpinBox { border: none; background: transparent; padding: 0px; }"
                           "QSpinBox::up-button, QSpinBox::down-button { subcontrol-origin: border; width: 15px;"
                           " border: 1px solid #a0a0a0; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 "
                           "#ffffff, stop:1 #e4e4e4); }"
                           "QSpinBox::up-button { subcontrol-position: top right; border-top-left-radius: 2px; "
                           "border-top-right-radius: 2px; }"
                           "QSpinBox::down-button { subcontrol-position: bottom right; border-top: none;"
                           " border-bottom-left-radius: 2px; border-bottom-right-radius: 2px; }"
                           "QSpinBox::up-button:pressed, QSpinBox::down-button:pressed { background: #d8d8d8; }"
                           "QSpinBox::up-arrow { image: url(:/ui/res/arrow-up.png); width: 9px; height: 6px; }"
                           "QSpinBox::down-arrow { image: url(:/ui/res/arrow-down.png); width: 9px; height: 6px; }"));
    }
};

}  // namespace

const TChnCalendar::Colours TChnCalendar::kDefaultColours = [] {
    const auto c = std::to_array<int>({
        0,         // FontDateColor
        15658734,  // FontCnDateColor
        12961221,  // ColorTitleWeekLine
        255,       // ColorTitleWeekEnd
        5197647,   // ColorTitleWeek
        32768,     // ColorCnDate
        5197647,   // ColorDate
        33023,     // ColorHoliday
        16733011,  // ColorLunarHolDay
        33023,     // ColorCnHolDay
        5484032,   // ColorSelectedStart
        6673664,   // ColorSelectedEnd
        4625152,   // ColorSelectedFrame
        8421504,   // ColorWeekNum
        8421504,   // ColorShowFrame
        14543103,  // ColorBackYear
        15461355,  // ColorBackMonth
        16711680,  // ColorTitleToday
        12615808,  // ColorTitleMonth
        16711680,  // ColorTitleYear
        8421504,   // ColorTitleSelected
        0,         // ColorTitleConstellation
        0,         // ColorTitleAnimalsYear
    });
    static_assert(std::tuple_size_v<decltype(c)> == std::size_t(Colour::Count), "one default per colour");
    return c;
}();

QFont TChnCalendar::withCjkFallback(QFont f)
{
    QStringList families = f.families();
    if (families.isEmpty())
        families << f.family();
    for (const QString& cjk : Theme::cjkFamilies)
        if (!families.contains(cjk))
            families << cjk;
    f.setFamilies(families);
    return f;
}

QFont TChnCalendar::pointFont(const char* family, int points, int weight)
{
    QFont f(QString::fromUtf8(family));
    f.setPointSize(points);
    f.setWeight(QFont::Weight(weight));
    return withCjkFallback(f);
}

QFont TChnCalendar::songti9() { return pointFont("宋体", 9); }

TChnCalendar::TChnCalendar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ChnCalendar"));
    resize(kDefaultWidth, kDefaultHeight);
    m_fontDate = pointFont("黑体", 9, QFont::Bold);
    m_fontCnDate = pointFont("宋体", 9);

    buildTitle();
    buildGrid();
    setFocusProxy(m_grid);
    setFocusPolicy(Qt::StrongFocus);
    buildMenus();
    styleLabels();

    applyShowTitle();
    const QDateTime now = Clock::now();
    SetDateTime(now);
}

TChnCalendar::~TChnCalendar() = default;

void TChnCalendar::buildTitle()
{
    auto titleLabel = [this](const char* name, const QString& text, const QFont& font, const QPoint& at) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextFormat(Qt::PlainText);
        l->setText(text);
        l->setFont(font);
        l->move(at);
        l->adjustSize();
        return l;
    };
    m_labelMonth = titleLabel("LabelMonth", QString(), pointFont("Arial", 24, QFont::Bold), QPoint(34, 3));
    m_labelMonth->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_labelMonthUnit = titleLabel("LabelMonthUnit", QStringLiteral("月"), songti9(), QPoint(45, 20));
    m_upDownMonth = new UpDown("UpDownMonth", 0, 13, this);
    m_upDownMonth->setGeometry(60, 10, 16, 22);
    m_labelYear = titleLabel("LabelYear", QString(), pointFont("Arial Black", 22, QFont::Black), QPoint(120, 0));
    m_labelYearUnit = titleLabel("LabelYearUnit", QStringLiteral("年"), songti9(), QPoint(205, 18));
    m_upDownYear = new UpDown("UpDownYear", kMinYear, kMaxYear, this);
    m_upDownYear->setGeometry(220, 10, 16, 22);

    auto* today = new ClickLabel(this);
    today->setObjectName(QStringLiteral("LabelToday"));
    today->setTextFormat(Qt::PlainText);
    today->setText(QStringLiteral("今天"));
    QFont link = songti9();
    link.setUnderline(true);
    today->setFont(link);
    today->move(272, 18);
    today->adjustSize();
    connect(today, &ClickLabel::clicked, this, &TChnCalendar::goToday);
    m_labelToday = today;

    m_labelStatus = titleLabel("LabelStatus", QString(), songti9(), QPoint(10, kDefaultHeight - 17));

    for (QLabel* l : {m_labelMonth, m_labelMonthUnit, m_labelYear, m_labelYearUnit}) {
        l->setCursor(Qt::PointingHandCursor);
        l->installEventFilter(this);
    }
    connect(m_upDownMonth, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_syncing)
            monthStepped(v);
    });
    connect(m_upDownYear, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_syncing)
            yearStepped(v);
    });
}

void TChnCalendar::buildMenus()
{
    m_menuMonth = new QMenu(this);
    m_menuMonth->setObjectName(QStringLiteral("MenuMonth"));
    QAction* today = m_menuMonth->addAction(QStringLiteral("今日"));
    today->setObjectName(QStringLiteral("MenuMonth_ToDay"));
    m_menuMonth->setDefaultAction(today);
    connect(today, &QAction::triggered, this, &TChnCalendar::goToday);
    m_menuMonth->addSeparator()->setObjectName(QStringLiteral("MenuMonth_ToDay_"));
    for (int n = 0; n < 12; ++n) {
        QAction* a = m_menuMonth->addAction(QString::fromUtf8(kMonthNames[n]));
        a->setObjectName(QStringLiteral("MenuMonth_%1").arg(n));
        a->setData(n + 1);
        connect(a, &QAction::triggered, this, [this, n] {
            m_syncing = true;
            m_upDownMonth->setValue(n + 1);
            m_syncing = false;
            monthStepped(n + 1);
        });
    }

    auto yearItem = [this](QMenu* menu, int year) {
        QAction* a = menu->addAction(QString::number(year));
        a->setData(year);
        connect(a, &QAction::triggered, this, [this, year] {
            m_syncing = true;
            m_upDownYear->setValue(year);
            m_syncing = false;
            yearStepped(year);
        });
    };
    m_menuYear = new QMenu(this);
    m_menuYear->setObjectName(QStringLiteral("MenuYear"));
    today = m_menuYear->addAction(QStringLiteral("今日"));
    today->setObjectName(QStringLiteral("MenuYear_ToDay"));
    m_menuYear->setDefaultAction(today);
    connect(today, &QAction::triggered, this, &TChnCalendar::goToday);
    m_menuYear->addSeparator()->setObjectName(QStringLiteral("MenuYear_ToDay_1"));
    auto* history = new QMenu(QStringLiteral("历史日期"), m_menuYear);
    history->setObjectName(QStringLiteral("MenuYear_History"));
    m_menuYear->addMenu(history);
    for (int start = 0; start <= 1800; start += 100) {
        auto* century = new QMenu(QString::number(start), history);
        century->setObjectName(QStringLiteral("MenuYear_History_%1").arg(start + 10));
        history->addMenu(century);
        for (int k = 1; k <= 10; ++k)
            yearItem(century, start + 10 * k);
    }
    m_menuYear->addSeparator()->setObjectName(QStringLiteral("MenuYear_ToDay_2"));
    for (int decade = 1900; decade <= 2090; decade += 10) {
        auto* sub = new QMenu(QString::number(decade), m_menuYear);
        sub->setObjectName(QStringLiteral("MenuYear_%1").arg(decade));
        m_menuYear->addMenu(sub);
        for (int y = decade; y < decade + 10; ++y)
            yearItem(sub, y);
    }
}

void TChnCalendar::styleLabels()
{
    Theme::setColour(m_labelMonth, toColor(colour(Colour::ColorTitleMonth)));
    Theme::setColour(m_labelMonthUnit, Qt::black);
    Theme::setColour(m_labelYear, toColor(colour(Colour::ColorTitleYear)));
    Theme::setColour(m_labelYearUnit, Qt::black);
    Theme::setColour(m_labelToday, toColor(colour(Colour::ColorTitleToday)));
    Theme::setColour(m_labelStatus, toColor(colour(Colour::ColorTitleSelected)));
}

// ---------------------------------------------------------------- layout

void TChnCalendar::applyShowTitle()
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_labelMonth, m_labelMonthUnit, m_upDownMonth, m_labelYear,
                                                      m_labelYearUnit, m_upDownYear, m_labelToday, m_labelStatus})
        w->setVisible(m_showTitle);
    const int w = width(), h = height();
    m_grid->setGeometry(m_showTitle ? QRect(8, 40, std::max(0, w - 15), std::max(0, h - 67))
                                    : QRect(2, 2, std::max(0, w - 4), std::max(0, h - 4)));
    // Below the grid (which ends at h − 27) at every size.
    m_labelStatus->move(10, h - 17);
    m_laidOut = size();
    layoutGrid();
    paintBackground();
    refreshGrid();
}

void TChnCalendar::ensureLayout() const
{
    if (m_laidOut != size())
        const_cast<TChnCalendar*>(this)->applyShowTitle();
}

void TChnCalendar::updateTitleLabels()
{
    m_labelMonth->setText(QString::number(m_sel.m));
    m_labelMonth->adjustSize();
    m_labelMonth->move(kMonthLabelRight - m_labelMonth->width(), 3);
    m_labelYear->setText(QString::number(m_sel.y));
    m_labelYear->adjustSize();
    const QString date = m_sel.y < 1949 ? m_sheet.selected.EraText
                                        : QStringLiteral("%1-%2-%3")
                                              .arg(m_sel.y, 4, 10, QLatin1Char('0'))
                                              .arg(m_sel.m, 2, 10, QLatin1Char('0'))
                                              .arg(m_sel.d, 2, 10, QLatin1Char('0'));
    m_labelStatus->setText(date + QStringLiteral(" 农历") + cnDate());
    m_labelStatus->adjustSize();
}

void TChnCalendar::syncSteppers()
{
    m_syncing = true;
    m_upDownYear->setValue(m_sel.y);
    m_upDownMonth->setValue(m_sel.m);
    m_syncing = false;
}

// ---------------------------------------------------------------- the date

QDateTime TChnCalendar::dateTime() const
{
    QDate d(m_sel.y, m_sel.m, m_sel.d);
    if (!d.isValid())  // a Julian 29 February
        d = QDate(m_sel.y, m_sel.m, m_sel.d, QCalendar(QCalendar::System::Julian));
    return QDateTime(d, m_time);
}

void TChnCalendar::SetDateTime(const QDateTime& value)
{
    if (!value.isValid())
        return;
    const QDate d = value.date();
    SetDate({d.year(), d.month(), d.day()}, value.time());
}

void TChnCalendar::SetDate(const CivilDate& date, const QTime& time)
{
    if (m_hasDate && sameDate(date, m_sel) && time == m_time)
        return;
    if (date.y < kMinYear || date.y > kMaxYear || !exists(date))
        return;
    select(date, time);
}

void TChnCalendar::select(const CivilDate& date, const QTime& time)
{
    m_sel = date;
    m_time = time;
    m_hasDate = true;
    syncSteppers();
    fillMonth();
    updateTitleLabels();
    paintBackground();
    refreshGrid();
    emit OnChange();
}

void TChnCalendar::fillMonth()
{
    if (!m_hasDate)
        return;
    m_sheet = BuildMonthSheet(m_sel);
    if (const int i = m_sheet.selectedCell) {
        m_curRow = (i - 1) / 7 + 1;
        m_curCol = (i - 1) % 7 + 1;
    }
}

void TChnCalendar::goToday() { SetDateTime(Clock::now()); }

void TChnCalendar::monthStepped(int position)
{
    int y = m_sel.y, m = position;
    if (position >= 13) {
        ++y;
        m = 1;
    } else if (position <= 0) {
        --y;
        m = 12;
    }
    const int d = y >= kMinYear && y <= kMaxYear ? existingDay(y, m, m_sel.d) : 0;
    if (d < 1) {
        // Past either end of the year range the date stays.
        syncSteppers();
        return;
    }
    SetDate({y, m, d}, m_time);
    syncSteppers();
}

void TChnCalendar::yearStepped(int year)
{
    const int d = existingDay(year, m_sel.m, m_sel.d);
    if (d < 1)
        SetDateTime(Clock::now());
    else
        SetDate({year, m_sel.m, d}, m_time);
    syncSteppers();
}

void TChnCalendar::popupMenu(QMenu* menu, const QPoint& globalPos) { menu->popup(globalPos); }

// ---------------------------------------------------------------- readable state

TcnDateInf TChnCalendar::cell(int index) const
{
    if (index < 1 || index > MonthSheet::kCells || !m_hasDate)
        return TcnDateInf();
    const SheetCell& sheetCell = m_sheet.cells[index];
    TcnDateInf c;
    c.day = sheetCell.day;
    c.valid = sheetCell.valid;
    c.selected = index == m_sheet.selectedCell;
    if (sheetCell.day)
        c.dayText = QString::number(sheetCell.day);
    c.monthText = sheetCell.monthText;
    c.lunarDayText = sheetCell.lunarDayText;
    c.shownText = sheetCell.shownText;
    c.dayColor = sheetCell.weekend ? kRed : colour(Colour::ColorDate);
    c.lunarColor = markColour(sheetCell.mark);
    return c;
}

int TChnCalendar::markColour(DayMark mark) const
{
    switch (mark) {
    case DayMark::None: return 0;
    case DayMark::LunarDay: return colour(Colour::ColorCnDate);
    case DayMark::MonthStart: return kRed;
    case DayMark::SolarFestival: return colour(Colour::ColorHoliday);
    case DayMark::SolarTerm: return colour(Colour::ColorLunarHolDay);
    case DayMark::LunarFestival: return colour(Colour::ColorCnHolDay);
    }
    return 0;
}

QStringList TChnCalendar::cellTexts() const
{
    QStringList out;
    for (int i = 1; i <= MonthSheet::kCells; ++i) {
        const TcnDateInf c = cell(i);
        if (!c.valid)
            out << QString();
        else if (i >= 40)
            out << c.shownText;
        else
            out << c.dayText + QLatin1Char('\n') + c.shownText;
    }
    return out;
}

QStringList TChnCalendar::cellColors() const
{
    QStringList out;
    for (int i = 1; i <= MonthSheet::kCells; ++i) {
        const TcnDateInf c = cell(i);
        out << (c.valid && i < 40 ? QStringLiteral("%1,%2").arg(c.dayColor).arg(c.lunarColor) : QString());
    }
    return out;
}

QStringList TChnCalendar::weekNumbers() const
{
    return QStringList(m_sheet.weekNumbers.begin(), m_sheet.weekNumbers.end());
}

QColor TChnCalendar::toColor(int value) { return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff); }

int TChnCalendar::fromColor(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }

bool TChnCalendar::eventFilter(QObject* watched, QEvent* event)
{
    QMenu* menu = watched == m_labelMonth || watched == m_labelMonthUnit ? m_menuMonth
                  : watched == m_labelYear || watched == m_labelYearUnit ? m_menuYear
                                                                         : nullptr;
    if (!menu)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton && static_cast<QWidget*>(watched)->rect().contains(e->position().toPoint())) {
            popupMenu(menu, e->globalPosition().toPoint());
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        popupMenu(menu, static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TChnCalendar::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    applyShowTitle();
}

void TChnCalendar::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        refreshGrid();
}

// ---------------------------------------------------------------- properties

void TChnCalendar::setShowTitle(bool on)
{
    m_showTitle = on;
    applyShowTitle();
}

void TChnCalendar::setShowWeekNum(bool on)
{
    m_showWeekNum = on;
    layoutGrid();  // the week-number column is wider
    refreshGrid();
}

void TChnCalendar::setShowFrame(bool on)
{
    m_showFrame = on;
    paintBackground();
    refreshGrid();
}

void TChnCalendar::setShowBackYearMonth(bool on)
{
    m_showBackYearMonth = on;
    paintBackground();
    refreshGrid();
}

void TChnCalendar::setShowWeekNumLine(bool on)
{
    m_showWeekNumLine = on;
    refreshGrid();
}

void TChnCalendar::setHideSelection(bool on)
{
    m_hideSelection = on;
    refreshGrid();
}

void TChnCalendar::setFontDate(const QFont& f)
{
    m_fontDate = withCjkFallback(f);
    refreshGrid();
}

void TChnCalendar::setFontCnDate(const QFont& f)
{
    m_fontCnDate = withCjkFallback(f);
    refreshGrid();
}

// Each colour repaints what shows it; the cells take theirs when read.
void TChnCalendar::setColour(Colour k, int value)
{
    m_colours[std::size_t(k)] = value;
    switch (k) {
    case Colour::ColorTitleToday:
    case Colour::ColorTitleMonth:
    case Colour::ColorTitleYear:
    case Colour::ColorTitleSelected: styleLabels(); return;
    case Colour::ColorShowFrame:
        if (!m_showFrame)
            return;
        [[fallthrough]];
    case Colour::ColorBackYear:
    case Colour::ColorBackMonth: paintBackground(); break;
    default: break;
    }
    refreshGrid();
}

void TChnCalendar::setBackGround(const QPixmap& picture)
{
    m_backGround = picture;
    paintBackground();
    refreshGrid();
}

void TChnCalendar::setCenter(bool on)
{
    m_center = on;
    paintBackground();
    refreshGrid();
}

void TChnCalendar::setStretch(bool on)
{
    m_stretch = on;
    paintBackground();
    refreshGrid();
}

void TChnCalendar::setTransparent(bool on)
{
    m_transparent = on;
    paintBackground();
    refreshGrid();
}

void TChnCalendar::setAlphaBlend(int percent)
{
    m_alphaBlend = std::clamp(percent, 0, 255);  // a byte
    paintBackground();
    refreshGrid();
}
