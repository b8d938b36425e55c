// Hostile text in the desktop's note editor: stored as the box held it and
// shown as plain text (a note too long for its line is cut with "…" and
// shows whole as the tool tip).
#include "app/Tf_main.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace Driver;
using namespace Hostile;

namespace {
// The note line shows `note`: whole, or its start with "…" and all of it as the tool tip.
bool showsNote(QLabel* label, const QString& note)
{
    if (label->textFormat() != Qt::PlainText)
        return false;
    const QString shown = label->text();
    if (shown == note)
        return label->toolTip().isEmpty();
    return shown.endsWith(u'…') && note.startsWith(shown.chopped(1)) && !broken(shown) && label->toolTip() == note;
}
}  // namespace

class TstHostileDesktop : public QObject {
    Q_OBJECT

private slots:
    void hostileDesktopNote()
    {
        TEST_BEGIN
        PageFixture f;
        QString held;
        {
            Tf_main page;
            page.show();
            auto* edit = find<QLineEdit>(&page, "Edit6");
            auto* note = find<QLabel>(&page, "Label2");
            for (const Sample& s : corpus()) {
                clickLabel(&page, "Label1");
                QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(edit, Qt::Key_Backspace);
                enter(edit, s.text);
                held = edit->text();
                HOSTILE_COMPARE(held, s.text, s);  // no limit
                click(&page, "Button57");
                HOSTILE_COMPARE(TestDb::scalarText(QStringLiteral("select daytxt from sys_sys")), held, s);
                QVERIFY2(showsNote(note, held), qPrintable(s.name + QStringLiteral(": ") + escaped(note->text())));
            }
            QVERIFY(f.boxes.seen.isEmpty());
        }
        // Opened again: the note line and the editor show the stored note.
        Tf_main page;
        page.show();
        QVERIFY(showsNote(find<QLabel>(&page, "Label2"), held));
        clickLabel(&page, "Label1");
        HOSTILE_COMPARE(find<QLineEdit>(&page, "Edit6")->text(), held, corpus().last());
        TEST_END
    }

    void hostileRankingNames()
    {
        TEST_BEGIN
        PageFixture f;
        // Equal sums: every category ties with the fifth, so all show.
        QStringList shown;
        for (const Sample& s : corpus()) {
            const QString name = afterLimit(s.text, 50);
            addRecord({.categoryId = addCategory(name, QStringLiteral("Z"), QStringLiteral("餐饮")),
                       .amount = QStringLiteral("1"),
                       .date = QDate(2012, 5, 1)});
            shown << inChart(name);
        }
        Tf_main page;
        page.show();
        QStringList labels = barLabels(&page, "Chart1");
        labels.sort();
        shown.sort();
        QCOMPARE(labels.size(), shown.size());
        for (int i = 0; i < shown.size(); ++i)
            HOSTILE_COMPARE(labels[i], shown[i], (Sample{QStringLiteral("bar %1").arg(i), QString()}));
        TEST_END
    }
};

QTEST_MAIN(TstHostileDesktop)
#include "tst_hostile_desktop.moc"
