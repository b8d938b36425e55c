// The date helpers against QDate and a calendar of our own: dateFromText
// takes exactly "YYYY-MM-DD" of a day that exists, dateText writes it back;
// the month helpers; the SQL functions year(), month() and format() that
// stand in for Jet's, on the real connection; a date bound and read back.
#include "data/Database.h"
#include "tests/fuzz/Fuzz.h"

#include <QTemporaryDir>

#include <memory>

FUZZ_RUNS(20000);

namespace {

bool leap(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

int daysIn(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

struct Ymd {
    bool valid = false;
    int y = 0, m = 0, d = 0;
};

// "YYYY-MM-DD", ASCII digits, a day of the proleptic Gregorian calendar
// from year 1 on.
Ymd reference(const QString& t)
{
    Ymd r;
    if (t.size() != 10)
        return r;
    int v[3] = {0, 0, 0};
    for (int i = 0; i < 10; ++i) {
        const char16_t c = t[i].unicode();
        if (i == 4 || i == 7) {
            if (c != u'-')
                return r;
        } else if (c >= u'0' && c <= u'9') {
            int& f = v[i < 4 ? 0 : i < 7 ? 1 : 2];
            f = f * 10 + (c - u'0');
        } else {
            return r;
        }
    }
    r = {true, v[0], v[1], v[2]};
    r.valid = r.y >= 1 && r.m >= 1 && r.m <= 12 && r.d >= 1 && r.d <= daysIn(r.y, r.m);
    return r;
}

QString two(int n) { return QString::number(n).rightJustified(2, u'0'); }

struct Sql {
    QTemporaryDir dir;
    Database db;
    std::unique_ptr<Query> q;
    Sql()
    {
        if (!dir.isValid() || !db.create(dir.filePath(QStringLiteral("dates.db")), "fuzz", 1000))
            Fuzz::fail(QStringLiteral("cannot create the test database: %1").arg(db.lastError()));
        q = std::make_unique<Query>(db, QStringLiteral("SELECT year(:d), month(:d), format(:d, :f), :d, :e"));
        if (!q->isPrepared())
            Fuzz::fail(q->error());
    }
};

Sql& sql()
{
    static Sql s;
    return s;
}

// A format pattern of tokens with literal text between them, and what it
// must give for (y, m, d).
struct Pattern {
    QString text, expected;
};

Pattern pattern(Fuzz::Bytes& in, const Ymd& day)
{
    static const char* const tokens[] = {"yyyy", "YYYY", "yYyY", "yy", "YY", "mm", "MM", "Mm", "dd", "DD", "dD"};
    Pattern p;
    const int n = int(in.below(4));
    for (int i = 0; i <= n; ++i) {
        // Literal text: anything but the pattern letters and NUL.
        QString lit = QString::fromUtf8(in.take(in.below(6)));
        lit.removeIf([](QChar c) {
            const char16_t l = c.toLower().unicode(), u = c.toUpper().unicode();
            return c.isNull() || l == u'y' || l == u'm' || l == u'd' || u == u'Y' || u == u'M' || u == u'D';
        });
        if (lit.isEmpty() && i > 0)
            lit = QStringLiteral("-");  // tokens never touch: "yy""yy" would be "yyyy"
        p.text += lit;
        p.expected += lit;
        if (i == n && in.below(2))
            break;
        const QString tok = QString::fromLatin1(tokens[in.below(std::size(tokens))]);
        p.text += tok;
        const char16_t kind = tok[0].toLower().unicode();
        if (kind == u'y')
            p.expected += tok.size() == 4 ? QString::number(day.y).rightJustified(4, u'0') : two(day.y % 100);
        else
            p.expected += two(kind == u'm' ? day.m : day.d);
    }
    return p;
}

void checkText(const QString& t, Fuzz::Bytes& in)
{
    const Ymd want = reference(t);
    const QDate got = dateFromText(t);
    Fuzz::check(got.isValid() == want.valid && (!want.valid || got == QDate(want.y, want.m, want.d)), [&] {
        return QStringLiteral("dateFromText(\"%1\") = %2, expected %3")
            .arg(t, got.isValid() ? got.toString(Qt::ISODate) : QStringLiteral("invalid"),
                 want.valid ? QStringLiteral("a date") : QStringLiteral("invalid"));
    });
    if (want.valid) {
        // QDate's own reading of the pattern agrees.
        Fuzz::check(QDate::fromString(t, QStringLiteral("yyyy-MM-dd")) == got,
                    [&] { return QStringLiteral("QDate reads \"%1\" otherwise").arg(t); });
        Fuzz::check(dateText(got) == t,
                    [&] { return QStringLiteral("dateText(dateFromText(\"%1\")) = %2").arg(t, dateText(got)); });
    }
    const Pattern p = pattern(in, want);
    Query& q = *sql().q;
    q.bind(":d", t).bind(":f", p.text).bind(":e", got);
    Fuzz::check(q.fetch() == Query::Fetch::Row, [&] { return QStringLiteral("select failed: %1").arg(q.error()); });
    const auto intOrNull
        = [&](int col, int v) { return want.valid ? !q.isNull(col) && q.integer(col) == v : q.isNull(col); };
    Fuzz::check(intOrNull(0, want.y) && intOrNull(1, want.m),
                [&] { return QStringLiteral("year/month(\"%1\") = %2/%3").arg(t, q.text(0), q.text(1)); });
    Fuzz::check(want.valid ? q.text(2) == p.expected : q.isNull(2), [&] {
        return QStringLiteral("format(\"%1\", \"%2\") = \"%3\", expected \"%4\"")
            .arg(t, p.text, q.text(2), want.valid ? p.expected : QStringLiteral("NULL"));
    });
    Fuzz::check(q.date(3) == got && q.date(4) == got, [&] {
        return QStringLiteral("\"%1\" read back as a date: %2").arg(t, q.date(3).toString(Qt::ISODate));
    });
    q.reset();
}

void checkDay(qint64 jd)
{
    const QDate d = QDate::fromJulianDay(jd);
    if (!d.isValid())
        return;
    const int y = d.year(), m = d.month();
    const QString text = dateText(d);
    if (y >= 1 && y <= 9999) {
        const QString want
            = QStringLiteral("%1-%2-%3").arg(QString::number(y).rightJustified(4, u'0'), two(m), two(d.day()));
        Fuzz::check(text == want && dateFromText(text) == d,
                    [&] { return QStringLiteral("dateText(jd %1) = %2, expected %3").arg(jd).arg(text, want); });
    } else {
        // Years the text form cannot hold never read back as another day.
        Fuzz::check(!text.isEmpty() && !dateFromText(text).isValid(),
                    [&] { return QStringLiteral("dateText(jd %1) = %2").arg(jd).arg(text); });
    }
    const QDate first = firstDayOfMonth(d), last = lastDayOfMonth(d), prev = previousMonth(d);
    Fuzz::check(first.toJulianDay() == jd - d.day() + 1 && last.day() == daysIn(y < 0 ? y + 1 : y, m)
                    && last.month() == m && last.year() == y,
                [&] {
                    return QStringLiteral("month of %1: %2 .. %3")
                        .arg(text, first.toString(Qt::ISODate), last.toString(Qt::ISODate));
                });
    const int py = m == 1 ? (y == 1 ? -1 : y - 1) : y, pm = m == 1 ? 12 : m - 1;
    Fuzz::check(prev.year() == py && prev.month() == pm && prev.day() == 1,
                [&] { return QStringLiteral("previousMonth(%1) = %2").arg(text, prev.toString(Qt::ISODate)); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::Bytes in(data, size);
    // A nearly well-formed date: four-digit year, month 0..13, day 0..32.
    {
        const unsigned y = in.below(10000), m = in.below(14), d = in.below(33);
        QString t
            = QStringLiteral("%1-%2-%3").arg(QString::number(y).rightJustified(4, u'0'), two(int(m)), two(int(d)));
        if (in.below(4) == 0)
            t[int(in.below(10))] = QChar(char16_t(u" -+/0T\u0660\uFF10."[in.below(9)]));
        checkText(t, in);
    }
    // Days from the whole range the program can show, and far beyond.
    const qint64 jd0 = QDate(1, 1, 1).toJulianDay(), jd1 = QDate(9999, 12, 31).toJulianDay();
    const uint64_t w = in.u64();
    checkDay(jd0 - 400 + qint64(w % uint64_t(jd1 - jd0 + 800)));
    checkDay(qint64(w >> 12) - (qint64(1) << 51));
    // The rest as typed text and as UTF-8.
    static const char16_t alphabet[] = u"01234567890123456789------ +/.T\u0660\uFF10";
    const QByteArray rest = in.take(size);
    QString typed;
    for (char c : rest)
        typed += QChar(alphabet[uint8_t(c) % (std::size(alphabet) - 1)]);
    Fuzz::Bytes tail(reinterpret_cast<const uint8_t*>(rest.constData()), size_t(rest.size()));
    checkText(typed, tail);
    checkText(QString::fromUtf8(rest), tail);
    return 0;
}
