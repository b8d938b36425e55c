#include "import/CsvReader.h"

#include <algorithm>
#include <tuple>

namespace {

constexpr int kHeaderSearchLines = 60;
constexpr int kTitleFollowers = 3;           // records after a title row checked for dates
constexpr qsizetype kReportEvery = 1 << 16;  // characters between two progress reports

using Row = CsvTable::Row;

QString cleanCell(const QString& raw)
{
    QString cell = raw.trimmed();
    // Spreadsheet-safe text cells: ="0012345".
    if (cell.size() >= 3 && cell.startsWith(u"=\"") && cell.endsWith(u'"'))
        cell = cell.mid(2, cell.size() - 3).trimmed();
    return cell;
}

bool isLineBreak(QChar c) { return c == u'\r' || c == u'\n'; }

// The index after the line break at or after `i` (or the end), counting it in `line`.
qsizetype pastLineEnd(QStringView text, qsizetype i, int* line)
{
    const qsizetype n = text.size();
    while (i < n && !isLineBreak(text[i]))
        ++i;
    if (i < n) {
        i += (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
        ++*line;
    }
    return i;
}

struct Split {
    QList<Row> rows;
    bool notText = false;  // a NUL character outside quotes: a binary file
    bool cancelled = false;
};

// The records of `text`, those starting after line `lastStartLine` left out
// (0: all). A quote left open (at the end of the file, or beyond the longest
// record) makes its record a reported row, and splitting starts again on the
// record's second line, so one stray quote costs one row rather than the rest
// of the file. A record past kMaxCsvRecordChars on one line is reported and
// skipped to the line's end without being kept.
Split splitRecords(QStringView text, QChar delim, int lastStartLine, const ReadProgress& progress = {})
{
    Split out;
    const qsizetype n = text.size();
    qsizetype i = 0;
    qsizetype nextReport = kReportEvery;
    int line = 1;
    QString cell;
    while (i < n && (lastStartLine == 0 || line <= lastStartLine)) {
        if (progress && i >= nextReport) {
            if (!progress(i, n)) {
                out.cancelled = true;
                return out;
            }
            nextReport = i + kReportEvery;
        }
        const qsizetype recordStart = i;
        Row row;
        row.line = line;
        cell.clear();
        bool inQuotes = false;
        bool crossedLine = false;
        enum { Whole, Unclosed, TooLong } end = Whole;
        for (;;) {
            if (i >= n) {
                if (inQuotes)
                    end = Unclosed;
                else
                    row.cells << cleanCell(cell);
                break;
            }
            if (i - recordStart > kMaxCsvRecordChars) {
                end = inQuotes && crossedLine ? Unclosed : TooLong;
                break;
            }
            const QChar c = text[i];
            if (inQuotes) {
                if (c == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        cell += u'"';
                        i += 2;
                    } else {
                        inQuotes = false;
                        ++i;
                    }
                } else if (isLineBreak(c)) {
                    i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
                    cell += u'\n';
                    ++line;
                    crossedLine = true;
                } else {
                    cell += c;
                    ++i;
                }
                continue;
            }
            if (c.unicode() == 0) {
                out.notText = true;
                return out;
            }
            if (c == u'"' && cell.trimmed().isEmpty()) {
                cell.clear();
                inQuotes = true;
                ++i;
            } else if (c == delim) {
                row.cells << cleanCell(cell);
                cell.clear();
                ++i;
            } else if (isLineBreak(c)) {
                i = pastLineEnd(text, i, &line);
                row.cells << cleanCell(cell);
                break;
            } else {
                cell += c;
                ++i;
            }
        }
        if (end == Whole) {
            out.rows << row;
            continue;
        }
        row.cells.clear();
        if (end == Unclosed) {
            row.error = QStringLiteral("引号未闭合");
            // Again from the line after the record's first.
            line = row.line;
            i = pastLineEnd(text, recordStart, &line);
        } else {
            row.error = QStringLiteral("该行过长");
            i = pastLineEnd(text, i, &line);
        }
        out.rows << row;
    }
    return out;
}

int filledCells(const Row& row)
{
    int count = 0;
    for (const QString& c : row.cells)
        count += !c.isEmpty();
    return count;
}

bool isBlank(const Row& row) { return row.error.isEmpty() && filledCells(row) == 0; }

int mappedColumns(const CsvMapping& m)
{
    int count = 0;
    for (int column : {m.date, m.amount, m.income, m.expense, m.direction, m.memo, m.counterparty, m.remark, m.status})
        count += column >= 0;
    return count;
}

// How much a row looks like the title row of a statement: not at all unless
// it names a date and an amount column; then better when the next records
// have a date under its date title, then the more columns it names.
struct TitleScore {
    bool title = false;
    bool datedFollowers = false;
    int columns = 0;
    int dated = 0;
    auto key() const { return std::tuple(title, datedFollowers, columns, dated); }
};

TitleScore titleScore(const QList<Row>& rows, qsizetype r)
{
    TitleScore score;
    const CsvMapping m = proposeMapping(rows[r].cells);
    if (!rows[r].error.isEmpty() || !m.complete())
        return score;
    score.title = true;
    score.columns = mappedColumns(m);
    int seen = 0;
    for (qsizetype f = r + 1; f < rows.size() && seen < kTitleFollowers; ++f) {
        if (isBlank(rows[f]))
            continue;
        ++seen;
        score.dated += statementDate(rows[f].cells.value(m.date)).isValid();
    }
    score.datedFollowers = score.dated > 0;
    return score;
}

struct HeaderChoice {
    QChar delimiter = u',';
    int line = 0;  // 0: none
};

// The best title row over the three delimiters; a comma on a tie.
HeaderChoice titleRow(QStringView text, bool* notText)
{
    HeaderChoice best;
    TitleScore bestScore;
    for (const QChar delim : {QChar(u','), QChar(u'\t'), QChar(u';')}) {
        const Split split = splitRecords(text, delim, kHeaderSearchLines + kTitleFollowers * 4);
        if (split.notText) {
            *notText = true;
            return {};
        }
        for (qsizetype r = 0; r < split.rows.size() && split.rows[r].line <= kHeaderSearchLines; ++r) {
            const TitleScore score = titleScore(split.rows, r);
            if (score.title && (best.line == 0 || score.key() > bestScore.key())) {
                best = {delim, split.rows[r].line};
                bestScore = score;
            }
        }
    }
    return best;
}

// Files without known titles: the delimiter that gives the widest row among
// the first lines (a comma on a tie), and its first row with the most
// non-empty cells.
HeaderChoice widestRow(QStringView text)
{
    HeaderChoice choice;
    int best = -1;
    QList<Row> rows;
    for (const QChar delim : {QChar(u','), QChar(u'\t'), QChar(u';')}) {
        Split split = splitRecords(text, delim, kHeaderSearchLines);
        int widest = 0;
        for (const Row& row : std::as_const(split.rows))
            widest = std::max(widest, int(row.cells.size()));
        if (widest > best) {
            best = widest;
            choice.delimiter = delim;
            rows = std::move(split.rows);
        }
    }
    int most = 0;
    for (const Row& row : std::as_const(rows)) {
        const int filled = filledCells(row);
        if (row.error.isEmpty() && filled > most) {
            most = filled;
            choice.line = row.line;
        }
    }
    return choice;
}

}  // namespace

CsvTable readCsv(const QByteArray& bytes, Encoding enc, const ReadProgress& progress)
{
    CsvTable table;
    if (progress && !progress(0, bytes.size())) {
        table.cancelled = true;
        return table;
    }
    bool valid = true;
    const QString text = decodeText(bytes, enc, &valid);
    if (!valid)
        return table;

    bool notText = false;
    HeaderChoice header = titleRow(text, &notText);
    if (notText)
        return table;
    if (header.line == 0)
        header = widestRow(text);
    if (header.line == 0)
        return table;

    const Split all = splitRecords(text, header.delimiter, 0, progress);
    if (all.cancelled) {
        table.cancelled = true;
        return table;
    }
    if (all.notText)
        return table;
    table.delimiter = header.delimiter;
    qsizetype r = 0;
    for (; r < all.rows.size() && all.rows[r].line < header.line; ++r)
        table.skippedLines += !isBlank(all.rows[r]);
    if (r == all.rows.size())
        return CsvTable();
    const qsizetype h = r;
    for (++r; r < all.rows.size(); ++r)
        if (!isBlank(all.rows[r]))
            table.rows << all.rows[r];
    // Titles without a line under them are no statement either.
    if (table.rows.isEmpty())
        return CsvTable();
    table.header = all.rows[h].cells;
    table.headerLine = header.line;
    return table;
}

// ------------------------------------------------------------------ mapping

namespace {

// A header cell as compared with the known names: no blanks, no unit
// ("金额(元)", "金额（元）"), Latin letters in lower case.
QString headerKey(const QString& cell)
{
    QString key;
    for (QChar c : cell)
        if (!c.isSpace() && c != QChar(0xFEFF))
            key += c.toLower();
    for (const QStringView unit : {QStringView(u"(元)"), QStringView(u"（元）"), QStringView(u"[元]"),
                                   QStringView(u"(人民币)"), QStringView(u"（人民币）"), QStringView(u"(rmb)")})
        if (key.endsWith(unit))
            key.chop(unit.size());
    return key;
}

struct Role {
    int CsvMapping::*column;
    QList<QStringView> names;  // most telling first
};

const QList<Role>& roles()
{
    // Income and expense before the amount, so "收入金额" is not taken for
    // the amount by the partial match.
    static const QList<Role> list = {
        {&CsvMapping::date,
         {u"交易日期", u"记账日期", u"日期", u"交易时间", u"时间", u"入账日期", u"交易创建时间", u"付款时间",
          u"发生日期", u"记账时间", u"交易日", u"date", u"transactiondate"}},
        {&CsvMapping::income, {u"收入", u"存入", u"收入金额", u"存入金额", u"贷方金额", u"贷方发生额", u"income"}},
        {&CsvMapping::expense, {u"支出", u"支取", u"支出金额", u"支取金额", u"借方金额", u"借方发生额", u"expense"}},
        {&CsvMapping::amount,
         {u"金额", u"交易金额", u"发生额", u"交易额", u"人民币金额", u"记账金额", u"入账金额", u"amount"}},
        {&CsvMapping::direction, {u"收/支", u"收支", u"收支类型"}},
        {&CsvMapping::memo,
         {u"摘要", u"交易摘要", u"商品说明", u"商品", u"商品名称", u"用途", u"备注", u"附言", u"交易说明", u"说明",
          u"memo", u"description"}},
        {&CsvMapping::counterparty,
         {u"对方", u"交易对方", u"对方户名", u"商户名称", u"对方账户名", u"对方名称", u"对方账户名称", u"交易对象",
          u"商户", u"payee"}},
        // After the memo, which takes a lone 备注 column.
        {&CsvMapping::remark, {u"备注", u"附言", u"备注信息", u"remark", u"note"}},
        {&CsvMapping::status, {u"交易状态", u"当前状态", u"状态", u"status"}},
    };
    return list;
}

}  // namespace

CsvMapping proposeMapping(const QStringList& header)
{
    CsvMapping mapping;
    QStringList keys;
    for (const QString& cell : header)
        keys << headerKey(cell);
    QList<bool> taken(keys.size(), false);
    auto assign = [&](const Role& role, bool partial) {
        if (mapping.*role.column >= 0)
            return;
        for (QStringView name : role.names) {
            for (qsizetype c = 0; c < keys.size(); ++c) {
                const bool hit = partial ? name.size() >= 2 && keys[c].contains(name) : keys[c] == name;
                if (!taken[c] && hit) {
                    mapping.*role.column = int(c);
                    taken[c] = true;
                    return;
                }
            }
        }
    };
    for (const Role& role : roles())
        assign(role, false);
    for (const Role& role : roles())
        assign(role, true);
    return mapping;
}

namespace {

// A cell of the two-column form: nothing (empty, "-", 0.00), an amount, or
// an error.
QString optionalAmount(const QString& cell, Money* value, bool* present)
{
    *present = false;
    const QString error = statementAmount(cell, value);
    if (error == u"缺少金额")
        return {};
    if (!error.isEmpty())
        return error;
    *present = !value->isZero();
    return {};
}

void readAmount(StatementLine& line, const QStringList& cells, const CsvMapping& m)
{
    auto cell = [&](int column) { return column >= 0 && column < cells.size() ? cells[column] : QString(); };
    auto fail = [&](const QString& reason) {
        if (line.error.isEmpty())
            line.error = reason;
    };
    Money value;
    if (m.amount >= 0) {
        const QString error = statementAmount(cell(m.amount), &value);
        if (!error.isEmpty())
            return fail(error);
        if (m.direction >= 0) {
            // The 收/支 column decides; the amount's sign says nothing then.
            const QString dir = cell(m.direction);
            if (value < Money())
                value = -value;
            if (dir == u"支出" || dir == u"支")
                value = -value;
            else if (dir.isEmpty())
                return fail(QStringLiteral("缺少收支"));
            else if (dir != u"收入" && dir != u"收")
                return fail(QStringLiteral("收支“%1”无法识别").arg(dir));
        } else if (m.positiveIsExpense) {
            value = -value;
        }
        setSignedAmount(line, value);
        return;
    }
    Money income, expense;
    bool hasIncome = false, hasExpense = false;
    QString error = m.income >= 0 ? optionalAmount(cell(m.income), &income, &hasIncome) : QString();
    if (error.isEmpty() && m.expense >= 0)
        error = optionalAmount(cell(m.expense), &expense, &hasExpense);
    if (!error.isEmpty())
        return fail(error);
    if (hasIncome && hasExpense)
        return fail(QStringLiteral("收入和支出都有金额"));
    if (!hasIncome && !hasExpense)
        return fail(QStringLiteral("缺少金额"));
    // The column decides; a sign in it ("-12.50" under 支出) does not.
    if (hasIncome)
        setSignedAmount(line, income < Money() ? -income : income);
    else
        setSignedAmount(line, expense < Money() ? expense : -expense);
}

}  // namespace

QList<StatementLine> mapCsv(const CsvTable& table, const CsvMapping& m, const ReadProgress& progress)
{
    QList<StatementLine> lines;
    if (!m.complete())
        return lines;
    lines.reserve(table.rows.size());
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        if (progress && r % 4096 == 4095 && !progress(r, table.rows.size()))
            return {};
        const Row& row = table.rows[r];
        auto cell
            = [&](int column) { return column >= 0 && column < row.cells.size() ? row.cells[column] : QString(); };
        auto text = [&](int column) {
            QString t = cell(column);
            return isPlaceholder(t) ? QString() : t;
        };
        StatementLine line;
        line.line = row.line;
        line.memo = text(m.memo);
        line.counterparty = text(m.counterparty);
        line.note = text(m.remark);
        line.status = text(m.status);
        line.error = row.error;
        // An unquoted comma in a memo or an amount ("1,234.00") shifts the
        // cells after it: none of them can be trusted.
        for (qsizetype c = table.header.size(); line.error.isEmpty() && c < row.cells.size(); ++c)
            if (!row.cells[c].isEmpty())
                line.error = QStringLiteral("列数多于标题行");
        if (line.error.isEmpty()) {
            const QString date = cell(m.date);
            line.date = statementDate(date);
            if (date.isEmpty())
                line.error = QStringLiteral("缺少日期");
            else if (!line.date.isValid())
                line.error = QStringLiteral("日期无效");
            readAmount(line, row.cells, m);
        }
        lines << line;
    }
    return lines;
}
