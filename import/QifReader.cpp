#include "import/QifReader.h"

#include <QRegularExpression>

namespace {

struct Record {
    int line = 0;
    QString date;              // the first D
    QString total;             // T, else U
    QStringList splitAmounts;  // $: the total when T is missing
    QString payee, memo;
    bool split = false;
};

// Whether a "!…" line opens a section whose records are transactions.
// "!Option:AutoSwitch" and "!Clear:AutoSwitch" open none: nullopt.
std::optional<bool> transactionSection(QStringView header)
{
    const QString h = header.trimmed().toString().toLower().remove(u' ');
    if (h.startsWith(u"option:") || h.startsWith(u"clear:"))
        return std::nullopt;
    static const QStringList kinds
        = {QStringLiteral("type:bank"), QStringLiteral("type:cash"), QStringLiteral("type:ccard"),
           QStringLiteral("type:otha"), QStringLiteral("type:othl")};
    return kinds.contains(h);
}

struct DateParts {
    int first = 0, second = 0, year = 0;  // year 0: not a date
    bool iso = false;                     // YYYY-MM-DD: no order to decide
};

DateParts dateParts(const QString& text)
{
    static const QRegularExpression usual(QStringLiteral("^([0-9]{1,2})[/.\\-]([0-9]{1,2})(['/.\\-])([0-9]{1,4})$"));
    static const QRegularExpression iso(QStringLiteral("^([0-9]{4})-([0-9]{1,2})-([0-9]{1,2})$"));
    static const QRegularExpression blanks(QStringLiteral("\\s"));
    QString s = text;
    s.remove(blanks);  // Quicken pads: "1/ 5' 3"
    DateParts d;
    if (const auto m = iso.match(s); m.hasMatch()) {
        d.year = m.captured(1).toInt();
        d.first = m.captured(2).toInt();
        d.second = m.captured(3).toInt();
        d.iso = true;
        return d;
    }
    const auto m = usual.match(s);
    if (!m.hasMatch())
        return d;
    const QString year = m.captured(4);
    if (year.size() == 3)
        return d;
    d.first = m.captured(1).toInt();
    d.second = m.captured(2).toInt();
    d.year = year.size() <= 2 ? 2000 + year.toInt() : year.toInt();
    return d;
}

}  // namespace

QList<StatementLine> readQif(const QByteArray& bytes, Encoding enc)
{
    const QString text = decodeText(bytes, enc);
    QList<Record> records;
    Record current;
    bool open = false;
    bool reading = true;  // records before any section header count as a bank's
    auto finish = [&] {
        if (open)
            records << current;
        current = Record();
        open = false;
    };
    int lineNo = 0;
    for (QStringView raw : QStringView(text).split(u'\n')) {
        ++lineNo;
        const QStringView l = raw.trimmed();
        if (l.isEmpty())
            continue;
        if (l.startsWith(u'!')) {
            finish();
            if (const std::optional<bool> section = transactionSection(l.mid(1)))
                reading = *section;
            continue;
        }
        if (!reading)
            continue;
        const QChar code = l[0];
        const QString value = l.mid(1).trimmed().toString();
        if (code == u'^') {
            finish();
            continue;
        }
        if (!open) {
            open = true;
            current.line = lineNo;
        }
        switch (code.unicode()) {
        case u'D':
            if (current.date.isEmpty())
                current.date = value;
            break;
        case u'T': current.total = value; break;
        case u'U':
            if (current.total.isEmpty())
                current.total = value;
            break;
        case u'P': current.payee = value; break;
        case u'M': current.memo = value; break;
        case u'$':
            current.splitAmounts << value;
            current.split = true;
            break;
        case u'S':
        case u'E': current.split = true; break;
        default:  // N (number), C (cleared), A (address), L (category)…
            break;
        }
    }
    finish();

    // Day or month first, once for the whole file, from the dates that can
    // only be read one way.
    int dayFirst = 0, monthFirst = 0;
    for (const Record& r : records) {
        const DateParts d = dateParts(r.date);
        if (d.year == 0 || d.iso)
            continue;
        if (d.first > 12 && d.first <= 31 && d.second <= 12)
            ++dayFirst;
        else if (d.second > 12 && d.second <= 31 && d.first <= 12)
            ++monthFirst;
    }
    const bool dayBeforeMonth = dayFirst > monthFirst;

    QList<StatementLine> lines;
    for (const Record& r : records) {
        if (r.payee.compare(QLatin1StringView("Opening Balance"), Qt::CaseInsensitive) == 0)
            continue;
        StatementLine line;
        line.line = r.line;
        line.counterparty = r.payee;
        line.memo = r.memo;
        line.split = r.split;
        const DateParts d = dateParts(r.date);
        if (d.year != 0) {
            const bool swap = dayBeforeMonth && !d.iso;
            line.date = QDate(d.year, swap ? d.second : d.first, swap ? d.first : d.second);
        }
        if (r.date.isEmpty())
            line.error = QStringLiteral("缺少日期");
        else if (!line.date.isValid())
            line.error = QStringLiteral("日期无效");

        Money total;
        QString error;
        if (!r.total.isEmpty()) {
            error = statementAmount(r.total, &total);
        } else if (!r.splitAmounts.isEmpty()) {
            for (const QString& part : r.splitAmounts) {
                Money m;
                error = statementAmount(part, &m);
                if (!error.isEmpty())
                    break;
                total += m;
            }
        } else {
            error = QStringLiteral("缺少金额");
        }
        if (!error.isEmpty()) {
            if (line.error.isEmpty())
                line.error = error;
        } else {
            setSignedAmount(line, total);
        }
        lines << line;
    }
    return lines;
}
