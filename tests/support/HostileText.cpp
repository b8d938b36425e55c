#include "tests/support/HostileText.h"

#include "ui/DataGrid.h"
#include "ui/TextLimit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QStringView>
#include <QTest>

namespace Hostile {

namespace {
QString repeated(const QString& unit, int characters)
{
    QString out;
    while (TextLimit::characters(out) < characters)
        out += unit;
    return TextLimit::left(out, characters);
}

// One character at `i`: a surrogate pair or a single unit.
qsizetype charLength(const QString& t, qsizetype i)
{
    return t[i].isHighSurrogate() && i + 1 < t.size() && t[i + 1].isLowSurrogate() ? 2 : 1;
}

bool printable(QStringView c)
{
    return c.size() == 2 ? QChar::isPrint(QChar::surrogateToUcs4(c[0], c[1])) : c[0].isPrint();
}

// One key carrying the character's text; ASCII keys carry their key code too.
void typeKey(QWidget* box, const QString& c)
{
    const char ascii = c.size() == 1 && c[0].unicode() < 128 ? char(c[0].unicode()) : 0;
    QTest::sendKeyEvent(QTest::Click, box, ascii ? QTest::asciiToKey(ascii) : Qt::Key_unknown, c, Qt::NoModifier);
}
}  // namespace

const QList<Sample>& corpus()
{
    static const QList<Sample> samples{
        {QStringLiteral("single quotes"), QStringLiteral("O'Brien's '' end'")},
        {QStringLiteral("double quotes"), QStringLiteral("say \"hi\" \"\"")},
        {QStringLiteral("percent and underscore"), QStringLiteral("5%_off")},
        {QStringLiteral("backslashes"), QStringLiteral("C:\\new\\table\\\\ \\' \\%")},
        {QStringLiteral("300 characters"), repeated(QStringLiteral("家庭记账Ledger-"), 300)},
        {QStringLiteral("300 with 4-byte"), repeated(QString::fromUtf8("记😀"), 300)},
        {QStringLiteral("tab CR LF"), QStringLiteral("a\tb\r\nc\rd\ne")},
        {QStringLiteral("NUL and ESC"), QStringLiteral("nul") + QChar(0) + QStringLiteral("x\x1b[31mred")},
        {QStringLiteral("right-to-left marks"), QString::fromUtf8("\u200Fabc\u202Eexe.txt")},
        {QStringLiteral("4-byte characters"), QString::fromUtf8("𠀀😀x𠀀")},
        {QStringLiteral("SQL quote"), QStringLiteral("'); drop table s_user;--")},
        {QStringLiteral("SQL or"), QStringLiteral("\" or 1=1 --")},
        {QStringLiteral("markup"), QStringLiteral("<b>x</b> &amp; <i>")},
        {QStringLiteral("blanks around"), QString::fromUtf8("  padded \u3000")},
    };
    return samples;
}

QList<Piece> pieces(const QString& text)
{
    QList<Piece> out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = charLength(text, i);
        const QString c = text.mid(i, n);
        const bool typed = printable(c);
        if (out.isEmpty() || out.last().typed != typed)
            out.append({QString(), typed});
        out.last().text += c;
        i += n;
    }
    return out;
}

void enter(QWidget* box, const QString& text)
{
    box->setFocus(Qt::OtherFocusReason);
    for (const Piece& p : pieces(text)) {
        if (p.typed) {
            for (qsizetype i = 0; i < p.text.size();) {
                const qsizetype n = charLength(p.text, i);
                typeKey(box, p.text.mid(i, n));
                i += n;
            }
        } else {
            QApplication::clipboard()->setText(p.text);
            // Ctrl+V as a keyboard sends it: the key's text is the control character.
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_V, QString(QChar(0x16)), Qt::ControlModifier);
        }
    }
}

QString afterLimit(const QString& text, int limit)
{
    if (limit <= 0)
        return text;
    QString held;
    for (const Piece& p : pieces(text)) {
        if (!p.typed) {
            if (TextLimit::characters(held) + TextLimit::characters(p.text) <= limit)
                held += p.text;
            continue;
        }
        for (qsizetype i = 0; i < p.text.size() && TextLimit::characters(held) < limit;) {
            const qsizetype n = charLength(p.text, i);
            held += p.text.mid(i, n);
            i += n;
        }
    }
    return held;
}

QString enterInCell(DataGrid* grid, int row, int column, const QString& text, const SourceLocation& where)
{
    const QModelIndex index = grid->model() ? grid->model()->index(row, column) : QModelIndex();
    if (!index.isValid())
        Driver::fail(QStringLiteral("%1 has no cell in row %2, column %3").arg(grid->objectName()).arg(row).arg(column),
                     where);
    QWidget* editor = grid->indexWidget(index);
    if (!editor) {
        grid->setFocus(Qt::OtherFocusReason);
        grid->setCurrentIndex(index);
        // Grids that edit the current cell have opened it already.
        editor = grid->indexWidget(index);
        if (!editor) {
            QTest::keyClick(grid, Qt::Key_F2);
            editor = grid->indexWidget(index);
        }
    }
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line)
        Driver::fail(
            QStringLiteral("%1 opens no text editor in row %2, column %3").arg(grid->objectName()).arg(row).arg(column),
            where);
    if (!line->text().isEmpty()) {
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(line, Qt::Key_Backspace);
    }
    enter(line, text);
    const QString held = line->text();
    QTest::keyClick(line, Qt::Key_Return);
    // The delegate hands the text over after the key.
    QCoreApplication::processEvents();
    if (grid->indexWidget(index))
        Driver::fail(QStringLiteral("%1: the editor in row %2, column %3 stayed open after Return")
                         .arg(grid->objectName())
                         .arg(row)
                         .arg(column),
                     where);
    return held;
}

QString inChart(const QString& text)
{
    QString t = text;
    return t.remove(u'\r');
}

QString escaped(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = charLength(text, i);
        const char32_t u = n == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        if (u >= 0x20 && u < 0x7f && u != '\\')
            out += QChar(char16_t(u));
        else
            out += QStringLiteral("\\u{%1}").arg(uint(u), 0, 16);
        i += n;
    }
    return out;
}

bool broken(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QChar::ReplacementCharacter || text[i].isLowSurrogate())
            return true;
        if (text[i].isHighSurrogate()) {
            if (i + 1 >= text.size() || !text[i + 1].isLowSurrogate())
                return true;
            ++i;
        }
    }
    return false;
}

}  // namespace Hostile
