#include "calendar/LunarCalc.h"

#include <array>
#include <cmath>

namespace {

const char* const kStems[] = {"甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
const char* const kBranches[] = {"子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
const char* const kAnimals[] = {"鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪"};
const char* const kConstellations[]
    = {"白羊", "金牛", "双子", "巨蟹", "狮子", "处女", "天秤", "天蝎", "射手", "摩羯", "宝瓶", "双鱼"};
const int kConstellationBounds[] = {120, 219, 321, 421, 521, 622, 723, 823, 923, 1023, 1123, 1222};
const char* const kTerms[]
    = {"立春", "雨水", "惊蛰", "春分", "清明", "谷雨", "立夏", "小满", "芒种", "夏至", "小暑", "大暑",
       "立秋", "处暑", "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至", "小寒", "大寒"};
const char* const kUnits[] = {"一", "二", "三", "四", "五", "六", "七", "八", "九", "十"};

// One character per year from -849 to 2100, year 0 included: the month
// followed by a leap month (hex 1..c), or 0.
const char kLeapMonthTable[] = "0c0080050010a0070030c0080050010a0070030c0080050020"  // -849
                               "a0070030c0080050020a0070030c0090050020a0070030c009"  // -799
                               "0050020a0060030c0060030c00900600c0c0060c00c00c00c0"  // -749
                               "c000600c0c0006090303030006000c00c060c0006c00000c0c"  // -699
                               "0c0060003030006c00009009c0090c00c00900030003090603"  // -649
                               "0030c0c00060c00090c0060600c0030060c00c003006009060"  // -599
                               "030c0060060c0090900c00090c0090c00c0060300060600030"  // -549
                               "30c0c00030c0060030c0090060030c0090300c0080050020a0"  // -499
                               "060030c0080050020b0070030c0090050010a0070030b00900"  // -449
                               "60020a0070040c0080050020a0060030c0080050020b007003"  // -399
                               "0c0090050010a0070030b0090060020a0070040c0080050020"  // -349
                               "a0060030c0080050020b0070030c0090050000c00900909009"  // -299
                               "00909009009009090090090900900900909009009090090090"  // -249
                               "09090090090900900900909009009090090090900900900909"  // -199
                               "00900909009009009090090090900900900909009009090060"  // -149
                               "030c0090050010a0070030b008005001090070040c00800500"  // -99
                               "20a0060030c0090040010a0060030c0090050010a0070030b0"  // -49
                               "080050010a008005001090050020a0060030c0080040010a00"  // 1
                               "60030c0090050010a0070030b0080050010a0070030b008005"  // 51
                               "001090070040c0080050020a0060030c0080040010a0060030"  // 101
                               "c0090050010a0070030b008005001090070040c0080050020a"  // 151
                               "0060030c0080040010a0060030c0090050010a0060030c0090"  // 201
                               "050010a0070030b008005001090070040c0080050020a00600"  // 251
                               "30c0080040010a0070030b0080050010a0070040c008005002"  // 301
                               "0a0060030c0080040010a0070030c0090050010a0070030b00"  // 351
                               "80050020a0060030c0080040010a0060030c0090050050020a"  // 401
                               "0060030c0090050010b0070030c0090050010a0070040c0080"  // 451
                               "040020a0060030c0080050020a0060030c0090050010a00700"  // 501
                               "30b0080040020a0060040c0090050020b0070030c00a005001"  // 551
                               "0a0070030b0090050020a0070030c0080040020a0060030c00"  // 601
                               "90050010a0070030c0090050030b007005001090050020a007"  // 651
                               "004001090060020c0070050c0090060030b0080040020a0060"  // 701
                               "030b0080040010a0060030b0080050010a0050040c00800500"  // 751
                               "10a0060030c0080050010b0070030c007005001090070030b0"  // 801
                               "070040020a0060030c0080040020a0070030b0090050010a00"  // 851
                               "60040c0080050020a0060040c0080050010b0070030c007005"  // 901
                               "001090070030c0080050020a0070030c0090050020a0070030"  // 951
                               "c0090050020a0060040c0090050020a0060040c0090050010b"  // 1001
                               "0070030c0080050030b007004001090060020c008004002090"  // 1051
                               "060020a008004001090050030b0080040020a0060040b00800"  // 1101
                               "40c00a0060020b007005001090060030b0070050020a006002"  // 1151
                               "0c008004002090070030c008005002090070040c0080040020"  // 1201
                               "a0060040b0090050010a0060030b0080050020a0060040c008"  // 1251
                               "0050010b00700300108005001090070030c0080050020a0070"  // 1301
                               "03001090050030a0070030b0090050020a0060040c00900500"  // 1351
                               "30b0070040c0090050010c0070040c0080060020b00700400a"  // 1401
                               "090060020b007003002090060020a005004001090050030b00"  // 1451
                               "7004001090050040c0080040c00a0060020c00700500109006"  // 1501
                               "0030b0070050020a0060020c008004002090060030b0080040"  // 1551
                               "02090060030b0080040020a0060040b0080040010b0060030b"  // 1601
                               "0070050010a006004002070050030800600400307005003070"  // 1651
                               "06004003070050030800600400307005004090060040030700"  // 1701
                               "500409006005002070050030a0060050030700500400206004"  // 1751
                               "00206005003002060040030700500409006004003070050040"  // 1801
                               "8007005003080050040a006005003070050040020600500308"  // 1851
                               "00500400206005002070050040020600500307006004002070"  // 1901
                               "050030800600400307005004080060040a0060050030800500"  // 1951
                               "40020700500409006004002060050030b00600500207005003"  // 2001
                               "08006004003070050040800600400307005004080060040020"  // 2051
    ;
static_assert(sizeof kLeapMonthTable == 2951);

constexpr int kFirstYear = -849, kLastYear = 2100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = 57.29577951308232;

// Where the formula misses the calendar people actually use. The mean series
// and the term formula are good to a few minutes; these rows are the days on
// which that is not enough. A row either shifts the lunar day on every day
// of a span (wrapping within 1..30), or puts one solar term on the day it is
// published on. There is no 2025 row: the series already matches the
// published 2025 calendar there (04-28 is 四月初一).
struct Correction {
    int from, to;  // y*10000 + m*100 + d, both included
    int dayShift;  // added to the lunar day; 0 on a term row
    int term;      // n as in SolarTermDay, published on `from`; 0 on a day row
};
const Correction kCorrections[] = {
    // The calendars of 1914, 1916 and 1920 reckoned these new moons just
    // before midnight Beijing time; the series puts them minutes after.
    {19141117, 19141216, +1, 0},
    {19160203, 19160303, +1, 0},  // and so 1916's new year is 02-03
    {19201110, 19201209, +1, 0},
    // The series puts this new moon at 00:00 on 03-06; the published first
    // day is 03-05.
    {19240305, 19240403, +1, 0},
    // The series puts these new moons at 23:57, a day early: the published
    // first days are 2018-11-08 and 2057-09-29 (24 s after midnight).
    {20181107, 20181206, -1, 0},
    {20570928, 20571027, -1, 0},
    // Solar terms whose instant lies within minutes of midnight.
    {19110507, 19110507, 0, 9},   // 立夏
    {19121009, 19121009, 0, 19},  // 寒露
    {19230219, 19230219, 0, 4},   // 雨水
    {20160707, 20160707, 0, 13},  // 小暑
    {20201207, 20201207, 0, 23},  // 大雪
    {20370923, 20370923, 0, 18},  // 秋分
    {20401008, 20401008, 0, 19},  // 寒露
    {20420723, 20420723, 0, 14},  // 大暑
    {20510320, 20510320, 0, 6},   // 春分
    {20590219, 20590219, 0, 4},   // 雨水
    {20830203, 20830203, 0, 3},   // 立春
    {20840319, 20840319, 0, 6},   // 春分
    {20850104, 20850104, 0, 1},   // 小寒
    {20970505, 20970505, 0, 9},   // 立夏
};

int wrap30(int day)
{
    while (day > 30)
        day -= 30;
    while (day < 1)
        day += 30;
    return day;
}

const std::array<int, 2951>& leapCounts()
{
    static const std::array<int, 2951> counts = [] {
        std::array<int, 2951> c{};
        int n = 0;
        for (int i = 0; i < 2950; ++i) {
            n += kLeapMonthTable[i] != '0';
            c[i] = n;
        }
        return c;
    }();
    return counts;
}

// Month and day of day n (1 for January 1) of year y; false past the year's end.
bool monthAndDay(int y, int n, int& m, int& d)
{
    for (m = 1; m <= 12; ++m) {
        const int len = DaysInMonth(y, m);
        if (n <= len) {
            d = n;
            return true;
        }
        n -= len;
    }
    return false;
}

}  // namespace

int CalendarKind(int y, int m, int d)
{
    if (y < 1582)
        return 1;
    if (y > 1582)
        return 2;
    if (m <= 9 || (m == 10 && d <= 4))
        return 1;
    if (m == 10 && d <= 14)
        return 0;
    return 2;
}

bool IsLeap(int y)
{
    if (CalendarKind(y, 1, 1) == 2)
        return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return y >= 0 ? y % 4 == 0 : (y + 1) % 4 == 0;
}

int DaysInMonth(int y, int m)
{
    if (m <= 0 || m > 12)
        return 0;
    if (m == 2)
        return IsLeap(y) ? 29 : 28;
    if (m == 4 || m == 6 || m == 9 || m == 11)
        return 30;
    return 31;
}

int DayOfYear(int y, int m, int d)
{
    int n = d;
    for (int i = 1; i < m; ++i)
        n += DaysInMonth(y, i);
    return n;
}

int DayCount(int y, int m, int d)
{
    const int e = y - 1;
    const int base = 365 * e + e / 4;
    switch (CalendarKind(y, m, d)) {
    case 1: return DayOfYear(y, m, d) + base - 2;
    case 2: return DayOfYear(y, m, d) + base + e / 400 - e / 100;
    default: return 0;
    }
}

bool DateFromCount(int n, int& y, int& m, int& d)
{
    if (n < 0)
        return false;
    if (n <= 577735) {
        // Julian days: the exact inverse of DayCount. (Shifting n by whole
        // centuries and walking Gregorian years lands a day off for weeks
        // around every Julian century leap day.)
        y = 4 * (n + 2) / 1461 + 1;
        while (y > 1 && DayCount(y, 1, 0) >= n)
            --y;
        while (DayCount(y + 1, 1, 0) < n)
            ++y;
        n -= DayCount(y, 1, 0);
    } else {
        auto plainLeap = [](int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; };
        // A local year stays in a register over this walk of up to 2,100 years.
        int year = 1;
        while ((plainLeap(year) ? 366 : 365) < n) {
            n -= plainLeap(year) ? 366 : 365;
            ++year;
        }
        y = year;
    }
    return monthAndDay(y, n, m, d);
}

double Frac(double x) { return x - std::trunc(x); }
double Nearest(double x) { return std::nearbyint(x); }  // default rounding: ties to even
double Mod12(double x) { return 12 * Frac(x / 12); }

QString GanZhiName(int i)
{
    if (i < 0 || i >= 60)
        return QString();
    return QString::fromUtf8(kStems[i % 10]) + QString::fromUtf8(kBranches[i % 12]);
}

QString AnimalName(int i) { return i >= 0 && i < 12 ? QString::fromUtf8(kAnimals[i]) : QString(); }
QString ConstellationName(int i) { return i >= 0 && i < 12 ? QString::fromUtf8(kConstellations[i]) : QString(); }
QString SolarTermName(int i) { return i >= 0 && i < 24 ? QString::fromUtf8(kTerms[i]) : QString(); }

int YearGanZhiIndex(int y)
{
    const int r = (y > 0 ? y - 4 : y - 3) % 60;
    return r < 0 ? r + 60 : r;
}

int YearBranchIndex(int y)
{
    const int r = (y > 0 ? y - 4 : y - 3) % 12;
    return r < 0 ? r + 12 : r;
}

int ConstellationIndex(int m, int d)
{
    const int c = 100 * m + d;
    for (int i = 0; i < 12; ++i)
        if (c < kConstellationBounds[i])
            return (i + 9) % 12;
    return 9;
}

double SolarTermDay(int y, int n)
{
    const double Y = y <= 0 ? y + 1 : y;
    const double m = Y - 100;
    const double A = Y * (365.2423112 - 6.4e-14 * m * m - 3.047e-8 * m) + 15.218427 * n + 1721050.71301;
    const double theta = 3.0e-4 * Y - 0.372781384 - 0.2617913325 * n;
    const double C = (1.945 * std::sin(theta) - 0.01206 * std::sin(2 * theta)) * (1.048994 - 2.583e-5 * Y);
    const double D = -0.0018 * std::sin(2.313908653 * Y - 0.439822951 - 3.0443 * n);
    const int jan0 = DayCount(int(Y), 1, 0);
    double result = A + C + D - jan0 - 1721425;
    // n = 25 is the next year's 小寒: its correction belongs to that year.
    const int termYear = n == 25 ? y + 1 : y, termN = n == 25 ? 1 : n;
    for (const Correction& c : kCorrections)
        if (c.term == termN && c.from / 10000 == termYear) {
            // Keep the time of day, move it onto the published day.
            const int day = DayCount(termYear, c.from / 100 % 100, c.from % 100) - jan0;
            result = day + (result - std::floor(result));
            break;
        }
    return result;
}

bool SolarTermDate(int y, int k, int& m, int& d)
{
    if (k < 0 || k > 23)
        return false;
    // Whole days are compared: the fraction is the time of day.
    const int c = int(std::floor(SolarTermDay(y, k + 1)));
    if (c < 1)
        return false;  // before January 1: in Julian years 小寒 drifts into the old December
    return monthAndDay(y, c, m, d);
}

int LeapMonthOf(int y)
{
    if (y < kFirstYear || y > kLastYear)
        return 0;
    const char c = kLeapMonthTable[y - kFirstYear];
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'c')
        return c - 'a' + 10;
    return 0;  // an unreadable character
}

int LeapCountThrough(int y)
{
    if (y < kFirstYear || y > kLastYear)
        return 0;
    return leapCounts()[y - kFirstYear] + (y >= 1200 && y <= 1499 ? 1 : 0);
}

int LunarDay(int y, int m, int d)
{
    const double k = std::floor((y - 1900) * 12.3685);
    const double T = (y - 1899.5) / 100;
    const double T2 = T * T, T3 = T2 * T;
    auto angle = [&](double a0, double a2, double a3, double r) {
        return Frac(r * k) * 2 * kPi + a0 / kDeg - a2 / kDeg * T2 - a3 / kDeg * T3;
    };
    const double P = 0.75933 - 0.0002172 * T2 - 1.55e-7 * T3;
    const double M = angle(359.2242, 3.33e-5, 3.47e-6, 0.08084821133);
    const double M1 = angle(306.0253, -0.0107306, -1.236e-5, 0.07171366128);
    const double F = angle(21.2964, 0.0016528, 2.39e-6, 0.08519585128);
    const double base = P + 0.53058868 * k - 0.000837 * T + 8.0 / 24 + 0.5;
    const int today = DayCount(y, m, d);
    int day = -1;
    // Only the new moons (whole steps) can set the day.
    for (int step = -2; step <= 26; step += 2) {
        const double s = step / 2.0;
        const double Ms = M + 0.507984293 * s, M1s = M1 + 6.73377553 * s, Fs = F + 6.818486628 * s;
        const double N = 29 * k + 693595 + 28 * s + base + 1.53058868 * s + (0.1734 - 0.000393 * T) * std::sin(Ms)
                         - 0.4068 * std::sin(M1s) + 0.0021 * std::sin(2 * Ms) + 0.0161 * std::sin(2 * M1s)
                         + 0.0104 * std::sin(2 * Fs) - 0.0074 * std::sin(Ms - M1s) - 0.0051 * std::sin(Ms + M1s);
        const double diff = today - std::floor(N);
        if (diff >= 0 && diff <= 29)
            day = int(diff) + 1;
    }
    if (day < 0)
        return -1;
    const int key = y * 10000 + m * 100 + d;
    for (const Correction& c : kCorrections)
        if (c.dayShift && key >= c.from && key <= c.to)
            day = wrap30(day + c.dayShift);
    return day;
}

int LunarMonth(int y, int m, int d)
{
    const int L = LunarDay(y, m, d);
    double count = Nearest((double(DayCount(y, m, d)) - DayCount(-849, 1, 21) - L) / 29.530588) - LeapCountThrough(y);
    if (y <= 240)
        count += 1;
    if (y <= 237)
        count -= 1;
    if (y < 24)
        count += 1;
    if (y < 9)
        count -= 1;
    if (y <= -255)
        count += 1;
    if (y <= -256)
        count += 2;
    if (y <= -722)
        count += 1;
    count -= 3;
    int v = int(Nearest(Mod12(count) + 1));
    if (LeapMonthOf(y - 1) == v && m == 1 && d < L)
        return -v;  // still in last year's leap month
    const int leap = LeapMonthOf(y);
    if (leap == v) {
        if ((m != 1 && m != 2) || leap == 12)
            return -v;
        return v + 1;
    }
    if (leap > v || (m < v && leap > 0))
        v += 1;
    return int(Nearest(Mod12(v - 1) + 1));
}

bool LunarMonthDay(int y, int m, int d, int& month, bool& leap, int& day)
{
    if (y < kFirstYear || y > kLastYear)
        return false;
    day = LunarDay(y, m, d);
    const int mm = LunarMonth(y, m, d);
    leap = mm < 0;
    month = std::abs(mm);
    return true;
}

bool LunarNewYearDate(int year, int& y, int& m, int& d)
{
    int lo = DayCount(year, 1, 1), hi = DayCount(year + 1, 12, 31);
    int probeYear = year, direction = 0, previousMonth = 0, bump = 0;
    int found = -1;
    for (int probes = 0; probes < 100 && lo < hi; ++probes) {
        const int g = (lo + hi) / 2 + bump;
        if (hi - lo == 1)
            bump = 1;
        int gy, gm, gd, month, day;
        bool leap;
        if (!DateFromCount(g, gy, gm, gd) || !LunarMonthDay(gy, gm, gd, month, leap, day))
            break;
        if (direction > 0 && month < previousMonth)
            ++probeYear;
        if (direction < 0 && month > previousMonth)
            --probeYear;
        int cmp = probeYear < year ? -1 : probeYear > year ? 1 : 0;
        if (!cmp)
            cmp = month < 1 ? -1 : month > 1 ? 1 : 0;
        if (!cmp)
            cmp = leap ? 1 : (day < 1 ? -1 : day > 1 ? 1 : 0);
        if (cmp < 0) {
            lo = g;
            direction = 1;
        } else if (cmp > 0) {
            hi = g;
            direction = -1;
        } else {
            found = g;
            break;
        }
        previousMonth = month;
    }
    return found >= 0 && DateFromCount(found, y, m, d);
}

bool SolarToLunar(int y, int m, int d, int& lunarYear, int& month, bool& leap, int& day)
{
    if (y < kFirstYear || y > kLastYear)
        return false;
    day = int(std::floor(double(LunarDay(y, m, d))));
    const int mm = LunarMonth(y, m, d);
    leap = mm < 0;
    month = std::abs(mm);
    lunarYear = y;
    int ny, nm, nd;
    if (LunarNewYearDate(y, ny, nm, nd) && DayCount(y, m, d) < DayCount(ny, nm, nd))
        lunarYear = y - 1;
    return true;
}

QString LunarDayText(int n)
{
    if (n < 1 || n > 30)
        return QString();
    if (n <= 10)
        return QStringLiteral("初") + QString::fromUtf8(kUnits[n - 1]);
    if (n < 20)
        return QStringLiteral("十") + QString::fromUtf8(kUnits[n - 11]);
    if (n == 20)
        return QStringLiteral("二十");
    if (n < 30)
        return QStringLiteral("廿") + QString::fromUtf8(kUnits[n - 21]);
    return QStringLiteral("三十");
}

int YearGanZhiIndexOfDate(int y, int m, int d)
{
    if (DayOfYear(y, m, d) < std::floor(SolarTermDay(y, 3)))
        return YearGanZhiIndex(y - 1);
    return YearGanZhiIndex(y);
}
