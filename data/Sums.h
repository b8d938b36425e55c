#pragma once
// The records summed per month, category, member and account (h_yue), kept
// by triggers on s_shouru inside the transaction of every insert, update and
// delete. Totals over all records or long date ranges read these rows
// (about 84 per month on twenty busy years, whatever the number of records)
// instead of every record. They keep the ids, and the category, member and
// account tables are joined when read, so a moved category or a deleted
// member or account counts exactly as it does in the records' own view.
// Derived data: never journaled, never written by a page.

#include "data/Database.h"

#include <QDate>

// The layout of the sums and their triggers; a file stamped otherwise has
// them built anew when opened.
inline constexpr int kSumsLayout = 1;

// Tables, triggers and the first build: the layout step that brings them.
const QList<const char*>& sumsLayoutStatements();

// Fills h_yue anew from the records and stamps it, in one transaction.
[[nodiscard]] bool rebuildSums(Database& db, DbError* error = nullptr);

// Rebuilds the sums when their stamp is not this layout's; a file without
// the table (its layout step could not run) is left alone.
[[nodiscard]] bool ensureSums(Database& db, DbError* error = nullptr);

// Whether h_yue covers exactly the records: its counts add up to theirs.
[[nodiscard]] bool sumsCoverRecords(Database& db, bool* covered, DbError* error = nullptr);

// A subquery of rows (m, fid, uid, zid, jine, n) whose sums are those of
// the records dated from..to, m their month ("YYYY-MM"): whole months from
// h_yue, the days before the first whole month and after the last from the
// records (by the date index). Binds :hm1 :hm2 :hd1 :hd2 :td1 :td2.
// A statement may hold up to kSpans spans, each with its own `tag` (0 binds
// the names above, 1 and 2 the same names ending in _1 and _2).
inline constexpr int kSpans = 3;
QString spanRowsSql(int tag = 0);
Binds spanBinds(const QDate& from, const QDate& to, int tag = 0);
void bindSpan(Query& q, const QDate& from, const QDate& to, int tag = 0);

// The records dated from..to as the records' views (s_z_all, v_flbb) show
// them, one row per category, member and account present (and month, with
// `byMonth`: s_month): f_name (= xfenlei), dfenlei, f_id (the top-level
// category's id), xid, f_class, sys_name, z_name, f_fenleiid, s_userid,
// s_zhanghuid, s_jine (their sum) and n (how many). What a footer or report
// sums in place of a view over a date range; filters on the other columns
// work as on the view. Binds as spanRowsSql.
QString spanViewSql(bool byMonth = false, int tag = 0);
