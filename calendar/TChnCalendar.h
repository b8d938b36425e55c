#pragma once
// A month-view calendar: for every day of one civil month its number and,
// under it, the lunar day, festival or solar term; a title row with year and
// month steppers, their menus and a "今天" link; the selected day's
// constellation, year name and animal in the bottom-right corner; a status
// line with the selected date and its lunar date.
//
// Dates follow the lunar library's calendar (Julian before 1582-10-15), so
// the selection is kept as (y, m, d) numbers. A QDate handed to SetDateTime
// is read by its numbers; DateTime gives them back the same way (a Julian
// 29 February that QDate cannot number is given as that day of the Julian
// calendar).
//
// What each cell holds comes from the month sheet (calendar/MonthSheet.h);
// the control gives it colours, paints it and takes the mouse and keys.
// Colours are integers R + 256·G + 65536·B. What the grid paints is readable
// through CellTexts, CellColors, HeaderTexts and WeekNumbers.

#include "calendar/ChnCal.h"
#include "calendar/MonthSheet.h"

#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <array>

class QLabel;
class QMenu;
class QSpinBox;
class CalendarGrid;

// One grid cell as shown, its sheet cell with colours; index 1..42 =
// column + 7·(row − 1).
struct TcnDateInf {
    int day = 0;
    bool valid = false;  // the cell has content
    bool selected = false;
    QString dayText;       // "1" .. "31"
    QString monthText;     // lunar month text
    QString lunarDayText;  // lunar day text
    QString shownText;     // lunar line as shown: day, month name, festival or term
    int dayColor = 0;
    int lunarColor = 0;
};

class TChnCalendar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool ShowTitle READ showTitle WRITE setShowTitle)
    Q_PROPERTY(bool ShowWeekNum READ showWeekNum WRITE setShowWeekNum)
    Q_PROPERTY(bool ShowFrame READ showFrame WRITE setShowFrame)
    Q_PROPERTY(bool ShowBackYearMonth READ showBackYearMonth WRITE setShowBackYearMonth)
    Q_PROPERTY(bool ShowWeekNumLine READ showWeekNumLine WRITE setShowWeekNumLine)
    Q_PROPERTY(bool HideSelection READ hideSelection WRITE setHideSelection)
    Q_PROPERTY(QFont FontDate READ fontDate WRITE setFontDate)
    Q_PROPERTY(QFont FontCnDate READ fontCnDate WRITE setFontCnDate)
    // A QFont has no colour: the fonts' colours are kept beside them.
    Q_PROPERTY(int FontDateColor READ fontDateColor WRITE setFontDateColor)
    Q_PROPERTY(int FontCnDateColor READ fontCnDateColor WRITE setFontCnDateColor)
    Q_PROPERTY(int ColorTitleWeekLine READ colorTitleWeekLine WRITE setColorTitleWeekLine)
    Q_PROPERTY(int ColorTitleWeekEnd READ colorTitleWeekEnd WRITE setColorTitleWeekEnd)
    Q_PROPERTY(int ColorTitleWeek READ colorTitleWeek WRITE setColorTitleWeek)
    Q_PROPERTY(int ColorCnDate READ colorCnDate WRITE setColorCnDate)
    Q_PROPERTY(int ColorDate READ colorDate WRITE setColorDate)
    Q_PROPERTY(int ColorHoliday READ colorHoliday WRITE setColorHoliday)
    Q_PROPERTY(int ColorLunarHolDay READ colorLunarHolDay WRITE setColorLunarHolDay)
    Q_PROPERTY(int ColorCnHolDay READ colorCnHolDay WRITE setColorCnHolDay)
    Q_PROPERTY(int ColorSelectedStart READ colorSelectedStart WRITE setColorSelectedStart)
    Q_PROPERTY(int ColorSelectedEnd READ colorSelectedEnd WRITE setColorSelectedEnd)
    Q_PROPERTY(int ColorSelectedFrame READ colorSelectedFrame WRITE setColorSelectedFrame)
    Q_PROPERTY(int ColorWeekNum READ colorWeekNum WRITE setColorWeekNum)
    Q_PROPERTY(int ColorShowFrame READ colorShowFrame WRITE setColorShowFrame)
    Q_PROPERTY(int ColorBackYear READ colorBackYear WRITE setColorBackYear)
    Q_PROPERTY(int ColorBackMonth READ colorBackMonth WRITE setColorBackMonth)
    Q_PROPERTY(int ColorTitleToday READ colorTitleToday WRITE setColorTitleToday)
    Q_PROPERTY(int ColorTitleMonth READ colorTitleMonth WRITE setColorTitleMonth)
    Q_PROPERTY(int ColorTitleYear READ colorTitleYear WRITE setColorTitleYear)
    Q_PROPERTY(int ColorTitleSelected READ colorTitleSelected WRITE setColorTitleSelected)
    Q_PROPERTY(int ColorTitleConstellation READ colorTitleConstellation WRITE setColorTitleConstellation)
    Q_PROPERTY(int ColorTitleAnimalsYear READ colorTitleAnimalsYear WRITE setColorTitleAnimalsYear)
    Q_PROPERTY(QDateTime DateTime READ dateTime WRITE SetDateTime NOTIFY OnChange)
    Q_PROPERTY(QString CnDate READ cnDate NOTIFY OnChange)
    Q_PROPERTY(QString CnMonth READ cnMonth NOTIFY OnChange)
    Q_PROPERTY(QString CnDay READ cnDay NOTIFY OnChange)
    Q_PROPERTY(QPixmap BackGround READ backGround WRITE setBackGround)
    Q_PROPERTY(bool Center READ center WRITE setCenter)
    Q_PROPERTY(bool Stretch READ stretch WRITE setStretch)
    Q_PROPERTY(bool Transparent READ transparent WRITE setTransparent)
    Q_PROPERTY(int AlphaBlend READ alphaBlend WRITE setAlphaBlend)
    // What the grid shows: 42 cells (entry k−1 for cell k), 9 headers, 6 week numbers.
    Q_PROPERTY(QStringList CellTexts READ cellTexts)
    Q_PROPERTY(QStringList CellColors READ cellColors)
    Q_PROPERTY(QStringList HeaderTexts READ headerTexts)
    Q_PROPERTY(QStringList WeekNumbers READ weekNumbers)

public:
    static constexpr int kDefaultWidth = 313, kDefaultHeight = 253;
    static constexpr int kMinYear = 1, kMaxYear = 2100;

    explicit TChnCalendar(QWidget* parent = nullptr);
    ~TChnCalendar() override;

    bool showTitle() const { return m_showTitle; }
    void setShowTitle(bool on);
    bool showWeekNum() const { return m_showWeekNum; }
    void setShowWeekNum(bool on);
    bool showFrame() const { return m_showFrame; }
    void setShowFrame(bool on);
    bool showBackYearMonth() const { return m_showBackYearMonth; }
    void setShowBackYearMonth(bool on);
    bool showWeekNumLine() const { return m_showWeekNumLine; }
    void setShowWeekNumLine(bool on);
    bool hideSelection() const { return m_hideSelection; }
    void setHideSelection(bool on);
    QFont fontDate() const { return m_fontDate; }
    void setFontDate(const QFont& f);
    QFont fontCnDate() const { return m_fontCnDate; }
    void setFontCnDate(const QFont& f);
    int fontDateColor() const { return colour(Colour::FontDateColor); }
    void setFontDateColor(int c) { setColour(Colour::FontDateColor, c); }
    int fontCnDateColor() const { return colour(Colour::FontCnDateColor); }
    void setFontCnDateColor(int c) { setColour(Colour::FontCnDateColor, c); }

    int colorTitleWeekLine() const { return colour(Colour::ColorTitleWeekLine); }
    void setColorTitleWeekLine(int c) { setColour(Colour::ColorTitleWeekLine, c); }
    int colorTitleWeekEnd() const { return colour(Colour::ColorTitleWeekEnd); }
    void setColorTitleWeekEnd(int c) { setColour(Colour::ColorTitleWeekEnd, c); }
    int colorTitleWeek() const { return colour(Colour::ColorTitleWeek); }
    void setColorTitleWeek(int c) { setColour(Colour::ColorTitleWeek, c); }
    int colorCnDate() const { return colour(Colour::ColorCnDate); }
    void setColorCnDate(int c) { setColour(Colour::ColorCnDate, c); }
    int colorDate() const { return colour(Colour::ColorDate); }
    void setColorDate(int c) { setColour(Colour::ColorDate, c); }
    int colorHoliday() const { return colour(Colour::ColorHoliday); }
    void setColorHoliday(int c) { setColour(Colour::ColorHoliday, c); }
    int colorLunarHolDay() const { return colour(Colour::ColorLunarHolDay); }
    void setColorLunarHolDay(int c) { setColour(Colour::ColorLunarHolDay, c); }
    int colorCnHolDay() const { return colour(Colour::ColorCnHolDay); }
    void setColorCnHolDay(int c) { setColour(Colour::ColorCnHolDay, c); }
    int colorSelectedStart() const { return colour(Colour::ColorSelectedStart); }
    void setColorSelectedStart(int c) { setColour(Colour::ColorSelectedStart, c); }
    int colorSelectedEnd() const { return colour(Colour::ColorSelectedEnd); }
    void setColorSelectedEnd(int c) { setColour(Colour::ColorSelectedEnd, c); }
    int colorSelectedFrame() const { return colour(Colour::ColorSelectedFrame); }
    void setColorSelectedFrame(int c) { setColour(Colour::ColorSelectedFrame, c); }
    int colorWeekNum() const { return colour(Colour::ColorWeekNum); }
    void setColorWeekNum(int c) { setColour(Colour::ColorWeekNum, c); }
    int colorShowFrame() const { return colour(Colour::ColorShowFrame); }
    void setColorShowFrame(int c) { setColour(Colour::ColorShowFrame, c); }
    int colorBackYear() const { return colour(Colour::ColorBackYear); }
    void setColorBackYear(int c) { setColour(Colour::ColorBackYear, c); }
    int colorBackMonth() const { return colour(Colour::ColorBackMonth); }
    void setColorBackMonth(int c) { setColour(Colour::ColorBackMonth, c); }
    int colorTitleToday() const { return colour(Colour::ColorTitleToday); }
    void setColorTitleToday(int c) { setColour(Colour::ColorTitleToday, c); }
    int colorTitleMonth() const { return colour(Colour::ColorTitleMonth); }
    void setColorTitleMonth(int c) { setColour(Colour::ColorTitleMonth, c); }
    int colorTitleYear() const { return colour(Colour::ColorTitleYear); }
    void setColorTitleYear(int c) { setColour(Colour::ColorTitleYear, c); }
    int colorTitleSelected() const { return colour(Colour::ColorTitleSelected); }
    void setColorTitleSelected(int c) { setColour(Colour::ColorTitleSelected, c); }
    int colorTitleConstellation() const { return colour(Colour::ColorTitleConstellation); }
    void setColorTitleConstellation(int c) { setColour(Colour::ColorTitleConstellation, c); }
    int colorTitleAnimalsYear() const { return colour(Colour::ColorTitleAnimalsYear); }
    void setColorTitleAnimalsYear(int c) { setColour(Colour::ColorTitleAnimalsYear, c); }

    QDateTime dateTime() const;
    // The selected date in the lunar library's calendar.
    CivilDate selectedDate() const { return m_sel; }
    QString cnDate() const { return cnMonth() + cnDay(); }
    QString cnMonth() const { return m_sheet.selected.MonthText; }
    QString cnDay() const { return m_sheet.selected.DayText; }

    QPixmap backGround() const { return m_backGround; }
    void setBackGround(const QPixmap& picture);
    bool center() const { return m_center; }
    void setCenter(bool on);
    bool stretch() const { return m_stretch; }
    void setStretch(bool on);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    int alphaBlend() const { return m_alphaBlend; }
    void setAlphaBlend(int percent);

    // Cell 1..42; anything else gives an empty record.
    TcnDateInf cell(int index) const;
    QStringList cellTexts() const;
    QStringList cellColors() const;
    QStringList headerTexts() const;
    QStringList weekNumbers() const;
    // Where a grid cell lies, in the control's coordinates (column 0..8, row 0..6).
    QRect cellRect(int column, int row) const;
    // The grid's current cell.
    int currentColumn() const { return m_curCol; }
    int currentRow() const { return m_curRow; }
    QWidget* grid() const;

    // Colour integer <-> QColor.
    static QColor toColor(int value);
    static int fromColor(const QColor& c);

public slots:
    // Selects the date with those numbers; nothing happens for the current
    // DateTime, a year outside 1..2100 or a day that does not exist.
    void SetDateTime(const QDateTime& value);
    void SetDateTime(const QDate& date) { SetDateTime(QDateTime(date, QTime(0, 0))); }
    // The same for a date of the library's calendar (a Julian 29 February).
    void SetDate(const CivilDate& date, const QTime& time = QTime(0, 0));

signals:
    void OnChange();
    void OnDateSelect();
    void OnDateClick();

protected:
    // Owner-draw hooks for the day number (upper half) and the lunar line
    // (lower half): draw into aCanvas and clear defaultDraw to replace the
    // default drawing. Day is the day of the month.
    virtual void OnDrawDateCell(QObject* Sender, int Day, QPainter* aCanvas, const QRect& Rect, bool Selected,
                                const QString& Text, bool& defaultDraw);
    virtual void OnDrawCnDateCell(QObject* Sender, int Day, QPainter* aCanvas, const QRect& Rect, bool Selected,
                                  const QString& Text, bool& defaultDraw);

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class CalendarGrid;

    // The colour properties, one entry each, named as the properties.
    enum class Colour {
        FontDateColor,
        FontCnDateColor,
        ColorTitleWeekLine,
        ColorTitleWeekEnd,
        ColorTitleWeek,
        ColorCnDate,
        ColorDate,
        ColorHoliday,
        ColorLunarHolDay,
        ColorCnHolDay,
        ColorSelectedStart,
        ColorSelectedEnd,
        ColorSelectedFrame,
        ColorWeekNum,
        ColorShowFrame,
        ColorBackYear,
        ColorBackMonth,
        ColorTitleToday,
        ColorTitleMonth,
        ColorTitleYear,
        ColorTitleSelected,
        ColorTitleConstellation,
        ColorTitleAnimalsYear,
        Count
    };
    using Colours = std::array<int, std::size_t(Colour::Count)>;
    static const Colours kDefaultColours;
    int colour(Colour k) const { return m_colours[std::size_t(k)]; }
    // Stores the colour and repaints what shows it.
    void setColour(Colour k, int value);
    // The colour of a day cell's lower line.
    int markColour(DayMark mark) const;

    // Asked-for faces first, then installed CJK faces for the Chinese glyphs.
    static QFont withCjkFallback(QFont f);
    static QFont pointFont(const char* family, int points, int weight = QFont::Normal);
    static QFont songti9();

    void buildTitle();
    void buildGrid();
    void buildMenus();
    void applyShowTitle();
    // A hidden control gets its resize event only when shown: what is read
    // from it before follows its size at once.
    void ensureLayout() const;
    void layoutGrid();
    void updateTitleLabels();
    void styleLabels();
    void syncSteppers();
    void select(const CivilDate& date, const QTime& time);
    void fillMonth();
    void paintBackground();
    void refreshGrid();
    void goToday();
    void monthStepped(int position);
    void yearStepped(int year);
    void popupMenu(QMenu* menu, const QPoint& globalPos);

    // The grid's side (CalendarGrid.cpp).
    void paintGrid(QPainter& p, bool focused);
    void paintCell(QPainter& p, int column, int row, bool focused, const QStringList& headers);
    void gridMousePress(const QPoint& pos, Qt::MouseButton button);
    void gridMouseRelease(const QPoint& pos, Qt::MouseButton button);
    bool gridKey(int key);
    // Asks to make (column, row) the current cell; false when refused.
    bool selectCell(int column, int row);
    bool cellAt(const QPoint& gridPos, int& column, int& row) const;

    bool m_showTitle = true;
    bool m_showWeekNum = false;
    bool m_showFrame = true;
    bool m_showBackYearMonth = true;
    bool m_showWeekNumLine = true;
    bool m_hideSelection = false;
    QFont m_fontDate;
    QFont m_fontCnDate;
    Colours m_colours = kDefaultColours;
    QPixmap m_backGround;
    bool m_center = false;
    bool m_stretch = false;
    bool m_transparent = false;
    int m_alphaBlend = 50;

    CivilDate m_sel;  // the selected date (y, m, d)
    QTime m_time;     // its time of day
    bool m_hasDate = false;
    MonthSheet m_sheet;  // the selected date's month

    // Grid geometry (grid coordinates) and current cell.
    std::array<int, 9> m_colX{}, m_colW{};
    std::array<int, 7> m_rowY{}, m_rowH{};
    int m_curCol = 1, m_curRow = 1;
    bool m_mouseSelect = false;  // a mouse press in the grid is choosing the cell
    bool m_pressInGrid = false;

    QSize m_laidOut;         // the size the grid was laid out for
    QImage m_back;           // the painted background of the whole control
    bool m_syncing = false;  // steppers set by the control itself

    QWidget* m_grid;           // Grid, a CalendarGrid
    QLabel* m_labelMonth;      // LabelMonth
    QLabel* m_labelMonthUnit;  // "月"
    QSpinBox* m_upDownMonth;   // UpDownMonth
    QLabel* m_labelYear;       // LabelYear
    QLabel* m_labelYearUnit;   // "年"
    QSpinBox* m_upDownYear;    // UpDownYear
    QLabel* m_labelToday;      // LabelToday
    QLabel* m_labelStatus;     // LabelStatus
    QMenu* m_menuMonth;
    QMenu* m_menuYear;
};
