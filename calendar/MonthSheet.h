#pragma once
// The month sheet: what each cell of the calendar control's 6 × 7 day grid
// shows for one selected date, before any colour or painting. Rows begin on
// Sunday; cell k (1..42) is column (k − 1) % 7 + 1 of row (k − 1) / 7 + 1.
// Days fill cells 1..37 from the weekday of the 1st; cells 40..42 are the
// corner texts of the selected day (constellation, year name, animal year).
//
// A pure function of the lunar library: dates follow its calendar (Julian
// before 1582-10-15, October 1582 runs 1-4, 15-31 in consecutive cells).

#include "calendar/ChnCal.h"

#include <QString>
#include <array>

// What the lower line of a day cell shows: a later kind wins over an earlier
// one on the same day.
enum class DayMark {
    None,           // no day in the cell, or a corner
    LunarDay,       // the lunar day: "初八"
    MonthStart,     // day 1 of a lunar month shows the month: "三月", "闰二"
    SolarFestival,  // "国庆节"
    SolarTerm,      // "立春"
    LunarFestival,  // "春节", "除夕"
};

struct SheetCell {
    int day = 0;           // day of the month; 0 for a cell without a day
    bool valid = false;    // the cell has content: a day or a corner text
    bool weekend = false;  // the Sunday and Saturday columns
    QString monthText;     // lunar month of the day
    QString lunarDayText;  // lunar day of the day
    QString shownText;     // the lower line, or a corner's text
    DayMark mark = DayMark::None;
};

struct MonthSheet {
    static constexpr int kCells = 42, kDayCells = 37;
    TChnCal selected;                 // the selected day described
    std::array<SheetCell, 43> cells;  // 1..42 used
    int selectedCell = 0;             // the cell of the selected day
    // Each row's ISO week: that of its Monday, else of its first day; empty
    // for a row without days.
    std::array<QString, 6> weekNumbers;
};

// The sheet of the month of `selected`, a date that exists in years -849..2100
// (outside them the lunar texts stay empty).
MonthSheet BuildMonthSheet(const CivilDate& selected);
