// Hostile text in the diary's editor: what it holds is stored and shown again.
#include "calendar/Tf_rijiben.h"
#include "tests/support/Driver.h"
#include "tests/support/HostileText.h"
#include "ui/DataGrid.h"

#include <QPlainTextEdit>
#include <QTest>

using namespace Driver;
using namespace Hostile;

class TstHostileDiary : public QObject {
    Q_OBJECT

private slots:
    void hostileDiaryText()
    {
        TEST_BEGIN
        PageFixture f;
        QStringList held;
        {
            Tf_rijiben page;
            page.show();
            auto* memo = find<QPlainTextEdit>(&page, "DBMemo1");
            for (const Sample& s : corpus()) {
                if (!held.isEmpty())
                    click(&page, "Button1");  // writes the entry before, starts a new one
                enter(memo, s.text);
                held << memo->toPlainText();
                // A multi-line box keeps lines, not their end characters: CR LF and CR become LF.
                QString lines = s.text;
                lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
                HOSTILE_COMPARE(held.last(), lines, s);
            }
            click(&page, "Button4");
            QVERIFY(f.boxes.seen.isEmpty());
        }
        const QStringList stored = TestDb::texts(QStringLiteral("select n_info from notebook order by id"));
        QCOMPARE(stored.size(), corpus().size());
        for (int i = 0; i < corpus().size(); ++i)
            HOSTILE_COMPARE(stored[i], held[i], corpus()[i]);
        // Opened again: newest first under the new, empty entry; each shows as stored.
        Tf_rijiben page;
        page.show();
        QCOMPARE(rowCount(&page, "DBGridEh1"), int(corpus().size()) + 1);
        for (int i = 0; i < corpus().size(); ++i) {
            clickRow(&page, "DBGridEh1", int(corpus().size()) - i);
            HOSTILE_COMPARE(find<QPlainTextEdit>(&page, "DBMemo1")->toPlainText(), held[i], corpus()[i]);
        }
        TEST_END
    }
};

QTEST_MAIN(TstHostileDiary)
#include "tst_hostile_diary.moc"
