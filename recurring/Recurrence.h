#pragma once
// The rule of a recurring entry (周期账单) and the dates it gives. Every
// occurrence is computed from the plan's start and its own index, never
// from the occurrence before it: a monthly plan from 31 January gives
// 28/29 February, 31 March, 30 April. Lunar rules give dates only inside the
// lunar library's verified range (kFirstLunarYear..kLastLunarYear).

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

inline constexpr int kFirstLunarYear = 1901, kLastLunarYear = 2100;

struct Recurrence {
    enum class Unit { Day, Week, Month, Year, LunarYear, LunarMonth };
    enum class Leap { Ordinary, LeapOnly, Both };   // which lunar month of that number (LunarYear)
    enum class Shift { None, ToFriday, ToMonday };  // a weekend date of the record

    Unit unit = Unit::Month;
    int every = 1;     // every N units, N >= 1
    int weekdays = 0;  // Week: bit (dayOfWeek - 1), Monday = bit 0
    int month = 1;     // Year: 1..12; LunarYear: the lunar month 1..12
    // Month, Year: 1..31 (a shorter month gives its last day), 0 = 月末,
    // -k = the k-th last day (Month, k 2..28). Lunar: 1..30 (a 29-day
    // month gives the 29th), 0 = 月末.
    int day = 1;
    Leap leap = Leap::Ordinary;
    Shift shift = Shift::None;

    bool operator==(const Recurrence&) const = default;
    bool isLunar() const { return unit == Unit::LunarYear || unit == Unit::LunarMonth; }
    // Whether the fields make a rule (ranges above).
    bool isValid() const;
    // "每月31日（月末顺延）", "每年农历正月初一", "每2周 周一、周四".
    QString text() const;
    // What the plans table stores, and back; nothing for a text that is no rule.
    QString encode() const;
    static std::optional<Recurrence> decode(const QString& text);
};

// The occurrences from `start` on that fall in [from, to], in order, at most
// the first `count` of the plan (0: no limit). The plan's end date is the
// caller's `to`.
QList<QDate> occurrences(const Recurrence& rule, const QDate& start, const QDate& from, const QDate& to, int count = 0);
// The date a record of this occurrence gets (the weekend shift).
QDate recordDate(const Recurrence& rule, const QDate& occurrence);
// The n-th occurrence (0-based) of a plan of `count` (0: no limit); invalid
// when there is none (past the count, or outside the lunar range).
QDate nthOccurrence(const Recurrence& rule, const QDate& start, int n);
