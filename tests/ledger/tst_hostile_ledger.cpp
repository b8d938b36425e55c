// Hostile text in every box of the entry pages: what a box holds after its
// key filter and limit is what is stored and shown (the category grids:
// tst_hostile_grids).
#include "data/Money.h"
#include "ledger/Tf_shouru.h"
#include "ledger/Tf_zhichu.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"
#include "ui/TextLimit.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Driver;
using namespace Hostile;

namespace {
const QString kDay = QStringLiteral("2012-05-20");

// What the amount box holds when `text` is entered: typed keys pass the
// documented filter (digits, point, space; one point; two decimals), pasted
// text goes in as it is.
QString amountFilter(const QString& text)
{
    QString held;
    for (const Piece& p : pieces(text)) {
        if (!p.typed) {
            held += p.text;
            continue;
        }
        for (QChar c : p.text) {
            const bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || c == u' ';
            if (!allowed || (c == u'.' && held.contains(u'.')))
                continue;
            const QString next = held + c;
            const qsizetype dot = next.indexOf(u'.');
            if (dot < 0 || next.size() - dot - 1 <= 2)
                held = next;
        }
    }
    return held;
}

QStringList sorted(QStringList l)
{
    l.sort();
    return l;
}
}  // namespace

class TstHostileLedger : public QObject {
    Q_OBJECT

private slots:
    void hostileEntryCategoryAndRemark()
    {
        TEST_BEGIN
        PageFixture f;
        // One expense sub-category per sample, named as the category box will
        // hold it, under a top-level category whose name is markup.
        const QString parent = QString::fromUtf8("<b>父</b>\u202E&lt;");
        addCategory(parent, QStringLiteral("Z"));
        QStringList names;
        for (const Sample& s : corpus()) {
            names << afterLimit(s.text, 50);
            addCategory(names.last(), QStringLiteral("Z"), parent);
        }
        Tf_zhichu page;
        page.show();
        auto* category = find<QLineEdit>(&page, "Edit3");
        auto* remark = find<QLineEdit>(&page, "Edit2");
        for (int i = 0; i < corpus().size(); ++i) {
            const Sample& s = corpus()[i];
            click(&page, "Button1");
            enter(category, s.text);
            HOSTILE_COMPARE(category->text(), names[i], s);
            // The picker finds the names holding the text literally: % and _ match only themselves.
            QStringList matching;
            for (const QString& n : names)
                if (n.contains(category->text(), Qt::CaseInsensitive))
                    matching << n;
            const QStringList listed = column(&page, "DBGridEh2", 0);
            HOSTILE_COMPARE(sorted(listed).join(u'|'), sorted(matching).join(u'|'), s);
            // Picked, the name comes back as it was, and the budget box names its parent as plain text.
            clickRow(&page, "DBGridEh2", int(listed.indexOf(names[i])));
            QVERIFY(!find<QWidget>(&page, "GroupBox5")->isVisible());
            HOSTILE_COMPARE(category->text(), names[i], s);
            auto* label14 = find<QLabel>(&page, "Label14");
            QCOMPARE(label14->textFormat(), Qt::PlainText);
            HOSTILE_COMPARE(label14->text(), parent, s);
            enter(find<QLineEdit>(&page, "Edit1"), QStringLiteral("12.5"));
            enter(remark, s.text);
            const QString held = remark->text();
            HOSTILE_COMPARE(held, afterLimit(s.text, 250), s);

            const qint64 before = TestDb::scalarInt(QStringLiteral("select max(id) from s_shouru"));
            click(&page, "Button3");
            QVERIFY2(f.boxes.seen.isEmpty(), qPrintable(s.name + QStringLiteral(": ") + f.boxes.texts().join(u'|')));
            const qint64 id = TestDb::scalarInt(QStringLiteral("select max(id) from s_shouru"));
            QVERIFY2(id > before, qPrintable(s.name));
            HOSTILE_COMPARE(TestDb::scalarText(QStringLiteral("select s_other from s_shouru where id=%1").arg(id)),
                            held, s);
            HOSTILE_COMPARE(
                TestDb::scalarText(
                    QStringLiteral("select f_name from s_fenlei where id=(select f_fenleiid from s_shouru where id=%1)")
                        .arg(id)),
                names[i], s);
            // The day list, by entry order, shows the new record last.
            const int row = rowCount(&page, "DBGridEh1") - 1;
            HOSTILE_COMPARE(cell(&page, "DBGridEh1", row, 2), names[i], s);
            HOSTILE_COMPARE(cell(&page, "DBGridEh1", row, 6), held, s);
            // Clicked, the record comes back into the boxes as stored; saved again, it stays so.
            clickRow(&page, "DBGridEh1", row);
            HOSTILE_COMPARE(category->text(), names[i], s);
            HOSTILE_COMPARE(remark->text(), held, s);
            click(&page, "Button3");
            QVERIFY2(f.boxes.seen.isEmpty(), qPrintable(s.name));
            HOSTILE_COMPARE(TestDb::scalarText(QStringLiteral("select s_other from s_shouru where id=%1").arg(id)),
                            held, s);
            QCOMPARE(TestDb::scalarInt(QStringLiteral("select max(id) from s_shouru")), id);
        }
        TEST_END
    }

    void hostileEntryAmountFilter()
    {
        TEST_BEGIN
        PageFixture f;
        Tf_zhichu page;
        page.show();
        auto* amount = find<QLineEdit>(&page, "Edit1");
        for (const Sample& s : corpus()) {
            click(&page, "Button1");
            enter(find<QLineEdit>(&page, "Edit3"), QStringLiteral("早餐"));
            QTest::keyClick(find<QLineEdit>(&page, "Edit3"), Qt::Key_Escape);
            enter(amount, s.text);
            const QString held = amount->text();
            HOSTILE_COMPARE(held, amountFilter(s.text), s);
            // A direction mark that arrives as a key (an input method may send one) is dropped too.
            QTest::sendKeyEvent(QTest::Click, amount, Qt::Key_unknown, QString(QChar(0x200F)), Qt::NoModifier);
            QCOMPARE(amount->text(), held);
            // What the box holds is saved as that amount, or refused and nothing written.
            const auto value = Money::parse(held.trimmed());
            const qint64 before = TestDb::count(QStringLiteral("s_shouru"));
            f.boxes.clear();
            click(&page, "Button3");
            if (value && !value->isZero()) {
                QVERIFY2(f.boxes.seen.isEmpty(), qPrintable(s.name));
                QCOMPARE(TestDb::scalarInt(QStringLiteral("select s_jine from s_shouru order by id desc limit 1")),
                         value->raw());
            } else {
                QVERIFY2(f.boxes.seen.size() == 1 && f.boxes.seen[0].title == QStringLiteral("系统提示"),
                         qPrintable(s.name));
                QCOMPARE(TestDb::count(QStringLiteral("s_shouru")), before);
            }
        }
        TEST_END
    }

    void hostileSearchKeyword()
    {
        TEST_BEGIN
        PageFixture f;
        const QDate day = QDate::fromString(kDay, Qt::ISODate);
        // Every sample as a remark, and remarks that % or _ taken as wildcards would find.
        QStringList remarks;
        for (const Sample& s : corpus())
            remarks << TextLimit::left(s.text, 250);
        remarks << QStringLiteral("5%xoff") << QStringLiteral("5abc_off") << QStringLiteral("padded");
        for (const QString& r : remarks)
            addRecord(QStringLiteral("工资"), QStringLiteral("1"), day, r);
        Tf_shouru page;
        page.show();
        auto* keyword = find<QLineEdit>(&page, "Edit4");
        QList<Sample> cases = corpus();
        cases << Sample{QStringLiteral("blanks only"), QStringLiteral("   ")};
        for (const Sample& s : cases) {
            click(&page, "Button7");
            QVERIFY(keyword->text().isEmpty());
            enter(keyword, s.text);
            HOSTILE_COMPARE(keyword->text(), s.text, s);
            click(&page, "Button9");
            // Found: the records whose name and remark hold the keyword as typed;
            // a keyword of blanks only searches without one.
            QStringList expected;
            for (const QString& r : remarks)
                if (s.text.trimmed().isEmpty() || (QStringLiteral("工资") + r).contains(s.text, Qt::CaseInsensitive))
                    expected << r;
            HOSTILE_COMPARE(column(&page, "DBGridEh1", 6).join(u'|'), expected.join(u'|'), s);
        }
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }
};

QTEST_MAIN(TstHostileLedger)
#include "tst_hostile_ledger.moc"
