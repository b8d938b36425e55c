#include "calendar/MonthSheet.h"

#include "calendar/LunarCalc.h"

namespace {

// ISO 8601 week: the week that holds the Thursday of the date's Monday-based week.
int isoWeek(const CivilDate& c)
{
    const int wd = WeekdayOf(c);
    const int thursday = DayCount(c.y, c.m, c.d) - (wd == 0 ? 7 : wd) + 4;
    if (thursday < DayCount(c.y, 1, 1))
        return isoWeek({c.y - 1, 12, 28});  // 28 December always lies in its year's last week
    if (thursday > DayCount(c.y, 12, 31))
        return 1;
    return (thursday - DayCount(c.y, 1, 1)) / 7 + 1;
}

void describeDayCell(SheetCell& c, const TChnCal& info)
{
    c.monthText = info.MonthText;
    c.lunarDayText = info.DayText;
    c.shownText = info.DayText;
    c.mark = DayMark::LunarDay;
    if (info.DayText == QStringLiteral("初一")) {
        c.shownText = info.MonthText;
        c.mark = DayMark::MonthStart;
    }
    if (!info.SolarFestival.isEmpty()) {
        c.shownText = info.SolarFestival;
        c.mark = DayMark::SolarFestival;
    }
    if (!info.SolarTermText.isEmpty()) {
        c.shownText = info.SolarTermText;
        c.mark = DayMark::SolarTerm;
    }
    if (!info.LunarFestival.isEmpty()) {
        c.shownText = info.LunarFestival;
        c.mark = DayMark::LunarFestival;
    }
}

}  // namespace

MonthSheet BuildMonthSheet(const CivilDate& selected)
{
    MonthSheet sheet;
    DescribeDay(sheet.selected, selected);
    for (int i = 1; i <= MonthSheet::kCells; ++i)
        sheet.cells[i].weekend = i % 7 == 1 || i % 7 == 0;
    const TChnCal& sel = sheet.selected;
    sheet.cells[40].shownText = sel.ConstellationText;
    sheet.cells[41].shownText = sel.YearGanZhi;
    sheet.cells[42].shownText = sel.AnimalText + QStringLiteral("年");
    for (int i = 40; i <= 42; ++i)
        sheet.cells[i].valid = true;

    // Days that do not exist (1582-10-05..14) take no cell.
    const int y = selected.y, m = selected.m;
    int index = WeekdayOf({y, m, 1}) + 1;
    TChnCal info = sel;  // a failed conversion keeps the previous day's description
    for (int d = 1; d <= DaysInMonth(y, m); ++d) {
        if (CalendarKind(y, m, d) == 0)
            continue;
        DescribeDay(info, {y, m, d});
        SheetCell& c = sheet.cells[index];
        c.day = d;
        c.valid = true;
        describeDayCell(c, info);
        if (d == selected.d)
            sheet.selectedCell = index;
        ++index;
    }

    for (int row = 1; row <= 6; ++row) {
        int pick = 0;
        const int monday = 2 + 7 * (row - 1);
        if (monday <= MonthSheet::kDayCells && sheet.cells[monday].valid)
            pick = monday;
        for (int col = 1; col <= 7 && !pick; ++col) {
            const int i = col + 7 * (row - 1);
            if (i <= MonthSheet::kDayCells && sheet.cells[i].valid)
                pick = i;
        }
        if (pick)
            sheet.weekNumbers[row - 1] = QString::number(isoWeek({y, m, sheet.cells[pick].day}));
    }
    return sheet;
}
