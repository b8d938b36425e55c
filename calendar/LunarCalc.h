#pragma once
// The Chinese lunar calendar computed from the sky: new moons from a
// mean-lunation series, solar terms from a closed formula, leap months from a
// table. Pure functions; years run from -849 to 2100 (no year zero).

#include <QString>

// 1 Julian, 0 a day that does not exist (1582-10-05..14), 2 Gregorian.
int CalendarKind(int y, int m, int d);
// Julian rule before 1583 (-1, -5, … are leap), Gregorian after.
bool IsLeap(int y);
// 28..31; 0 for a month outside 1..12.
int DaysInMonth(int y, int m);
// 1 for January 1; d = 0 of January is the day before it.
int DayOfYear(int y, int m, int d);
// A continuous day number (1899-12-30 is 693594); 0 for a day that does not exist.
int DayCount(int y, int m, int d);
// The date of a day number; false for a negative one.
bool DateFromCount(int n, int& y, int& m, int& d);

double Frac(double x);     // x - trunc(x), keeps the sign
double Nearest(double x);  // ties go to the even integer
double Mod12(double x);    // 12 * Frac(x / 12)

QString GanZhiName(int i);             // 0..59: 甲子 … 癸亥
QString AnimalName(int i);             // 0..11
QString ConstellationName(int i);      // 0..11
QString SolarTermName(int i);          // 0..23, 0 = 立春
int YearGanZhiIndex(int y);            // 0..59 (1984 is 0, 甲子)
int YearBranchIndex(int y);            // 0..11, the animal of a lunar year
int ConstellationIndex(int m, int d);  // 0 白羊 … 11 双鱼

// Day of year (with the time of day as fraction) of term n of year y;
// n = 1 is 小寒 of that January, 3 立春, 24 冬至, 25 the next 小寒.
double SolarTermDay(int y, int n);
// Month and day of term k (0 小寒 … 23 冬至) in year y; false for k outside
// 0..23 or a term that falls before January 1.
bool SolarTermDate(int y, int k, int& m, int& d);

// The leap-month table: the month followed by a leap month in year y, or 0.
int LeapMonthOf(int y);
// Years from -849 through y that have a leap month (+1 for 1200..1499).
int LeapCountThrough(int y);

int LunarDay(int y, int m, int d);    // 1..30, -1 when no new moon qualifies
int LunarMonth(int y, int m, int d);  // 1..12, negative for a leap month
// The civil date of lunar 1-1 of lunar year `year`, found by bisection;
// false when the search does not converge.
bool LunarNewYearDate(int year, int& y, int& m, int& d);
// Lunar month (1..12 with leap flag) and day of a civil date; false outside -849..2100.
bool LunarMonthDay(int y, int m, int d, int& month, bool& leap, int& day);
// The full lunar date, the lunar year included; false outside -849..2100.
bool SolarToLunar(int y, int m, int d, int& lunarYear, int& month, bool& leap, int& day);
QString LunarDayText(int n);  // 初一 … 三十
// The stem-branch index of the year a date belongs to; the year changes at 立春.
int YearGanZhiIndexOfDate(int y, int m, int d);
