#include "import/CsvReader.h"

#include <algorithm>

namespace {

constexpr int kHeaderSearchLines = 60;

using Row = CsvTable::Row;

QString cleanCell(const QString& raw)
{
    QString cell = raw.trimmed();
    // Spreadsheet-safe text cells: ="0012345".
    if (cell.size() >= 3 && cell.startsWith(u"=\"") && cell.endsWith(u'"'))
        cell = cell.mid(2, cell.size() - 3).trimmed();
    return cell;
}

// The records of `text`, those starting after line `lastStartLine` left out
// (0: all). A quote left open at the end of the file makes its record a
// reported row, and splitting starts again on the record's second line, so
// one stray quote costs one row rather than the rest of the file.
QList<Row> splitRecords(QStringView text, QChar delim, int lastStartLine)
{
    QList<Row> rows;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    QString cell;
    while (i < n && (lastStartLine == 0 || line <= lastStartLine)) {
        const qsizetype recordStart = i;
        Row row;
        row.line = line;
        cell.clear();
        bool inQuotes = false;
        bool unclosed = false;
        for (;;) {
            if (i >= n) {
                unclosed = inQuotes;
                row.cells << cleanCell(cell);
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
                } else if (c == u'\r' || c == u'\n') {
                    i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
                    cell += u'\n';
                    ++line;
                } else {
                    cell += c;
                    ++i;
                }
                continue;
            }
            if (c == u'"' && cell.trimmed().isEmpty()) {
                cell.clear();
                inQuotes = true;
                ++i;
            } else if (c == delim) {
                row.cells << cleanCell(cell);
                cell.clear();
                ++i;
            } else if (c == u'\r' || c == u'\n') {
                i += (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
                ++line;
                row.cells << cleanCell(cell);
                break;
            } else {
                cell += c;
                ++i;
            }
        }
        if (unclosed) {
            row.cells.removeLast();
            row.error = QStringLiteral("引号未闭合");
            rows << row;
            // Again from the line after the record's first.
            i = recordStart;
            while (i < n && text[i] != u'\r' && text[i] != u'\n')
                ++i;
            if (i < n)
                i += (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ? 2 : 1;
            line = row.line + 1;
            continue;
        }
        rows << row;
    }
    return rows;
}

int filledCells(const Row& row)
{
    int count = 0;
    for (const QString& c : row.cells)
        count += !c.isEmpty();
    return count;
}

} // namespace

CsvTable readCsv(const QByteArray& bytes, Encoding enc)
{
    const QString text = decodeText(bytes, enc);
    CsvTable table;

    // The delimiter that gives the widest row among the first lines; a
    // comma on a tie.
    int best = -1;
    for (const QChar delim : {QChar(u','), QChar(u'\t'), QChar(u';')}) {
        int widest = 0;
        for (const Row& row : splitRecords(text, delim, kHeaderSearchLines))
            widest = std::max(widest, int(row.cells.size()));
        if (widest > best) {
            best = widest;
            table.delimiter = delim;
        }
    }

    const QList<Row> all = splitRecords(text, table.delimiter, 0);
    qsizetype header = -1;
    int most = 0;
    for (qsizetype r = 0; r < all.size() && all[r].line <= kHeaderSearchLines; ++r) {
        const int filled = filledCells(all[r]);
        if (all[r].error.isEmpty() && filled > most) {
            most = filled;
            header = r;
        }
    }
    if (header < 0)
        return table;
    table.header = all[header].cells;
    table.headerLine = all[header].line;
    for (qsizetype r = header + 1; r < all.size(); ++r)
        if (!all[r].error.isEmpty() || filledCells(all[r]) > 0)
            table.rows << all[r];
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
         {u"摘要", u"交易摘要", u"商品说明", u"商品", u"商品名称", u"用途", u"备注", u"附言", u"交易说明",
          u"说明", u"memo", u"description"}},
        {&CsvMapping::counterparty,
         {u"对方", u"交易对方", u"对方户名", u"商户名称", u"对方账户名", u"对方名称", u"对方账户名称",
          u"交易对象", u"商户", u"payee"}},
    };
    return list;
}

} // namespace

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

} // namespace

QList<StatementLine> mapCsv(const CsvTable& table, const CsvMapping& m)
{
    QList<StatementLine> lines;
    if (!m.complete())
        return lines;
    lines.reserve(table.rows.size());
    for (const Row& row : table.rows) {
        auto cell = [&](int column) { return column >= 0 && column < row.cells.size() ? row.cells[column] : QString(); };
        StatementLine line;
        line.line = row.line;
        line.memo = cell(m.memo);
        line.counterparty = cell(m.counterparty);
        line.error = row.error;
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
