// The diary: the month list, the entry being written, and when typed text
// is written (moving on, 查询, 增加, 保存, leaving the page).
#include "app/TForm1.h"
#include "calendar/Tf_rijiben.h"
#include "tests/support/Driver.h"
#include "ui/DataGrid.h"
#include "ui/NumberField.h"

#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QTest>

using namespace Driver;

namespace {
const QString kGrid = QStringLiteral("DBGridEh1");

qint64 addEntry(const QString& date, const QString& text)
{
    TestDb::sql(QStringLiteral("insert into notebook (n_date,n_info) values ('%1','%2')").arg(date, text));
    return TestDb::scalarInt(QStringLiteral("select max(id) from notebook"));
}

QString memo(QObject* page) { return find<QPlainTextEdit>(page, "DBMemo1")->toPlainText(); }

// Types at the cursor: ASCII key by key, other text as an input method
// hands it over.
void type(QObject* page, const QString& text)
{
    auto* edit = find<QPlainTextEdit>(page, "DBMemo1");
    for (const QChar c : text) {
        if (c == u'\n') {
            QTest::keyClick(edit, Qt::Key_Return);
        } else if (c.unicode() < 128) {
            QTest::keyClicks(edit, QString(c));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(edit, &commit);
        }
    }
}

// Every entry as "date|text", in id order.
QString stored()
{
    return TestDb::scalarText(QStringLiteral("select coalesce(group_concat(n_date||'|'||n_info, ';'),'') "
                                             "from (select * from notebook order by id)"));
}
}

class TstRijiben : public QObject {
    Q_OBJECT

private slots:
    void opensOnTheMonthWithAnUnsavedEntry()
    {
        TEST_BEGIN
        PageFixture f;
        addEntry(QStringLiteral("2012-05-03"), QStringLiteral("三号"));
        addEntry(QStringLiteral("2012-05-19"), QStringLiteral("十九号"));
        addEntry(QStringLiteral("2012-04-30"), QStringLiteral("上个月"));
        {
            Tf_rijiben page;
            page.show();
            DataGrid* g = grid(&page, kGrid);
            QVERIFY(g->isColumnHidden(Tf_rijiben::ColId));
            QVERIFY(g->isColumnHidden(Tf_rijiben::ColInfo));
            QCOMPARE(g->model()->headerData(Tf_rijiben::ColDate, Qt::Horizontal).toString(), QStringLiteral("日期"));
            // Newest first, the new entry for today on top and current.
            QCOMPARE(column(&page, kGrid, Tf_rijiben::ColDate).join(u' '),
                     QStringLiteral("2012-05-20 2012-05-19 2012-05-03"));
            QCOMPARE(g->currentIndex().row(), 0);
            QCOMPARE(memo(&page), QString());
            QCOMPARE(find<NumberField>(&page, "SpinEdit3")->value(), 2012);
            QCOMPARE(find<NumberField>(&page, "SpinEdit4")->value(), 5);
            QCOMPARE(page.focusWidget(), find<QPlainTextEdit>(&page, "DBMemo1"));  // ready to type

            // The memo follows the current entry; the untyped new one is not written.
            clickRow(&page, kGrid, 1);
            QCOMPARE(memo(&page), QStringLiteral("十九号"));
            clickRow(&page, kGrid, 0);
            QCOMPARE(memo(&page), QString());
            // 增加 twice and 查询 pile nothing up.
            click(&page, "Button1");
            click(&page, "Button1");
            QCOMPARE(rowCount(&page, kGrid), 3);
            click(&page, "Button54");
            QCOMPARE(rowCount(&page, kGrid), 2);
            // 删除 of a written entry asks, and takes no untyped entry along.
            click(&page, "Button1");
            clickRow(&page, kGrid, 1);
            QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList{QStringLiteral("是否确定删除？")});
            f.boxes.clear();
            QCOMPARE(column(&page, kGrid, Tf_rijiben::ColDate), QStringList{QStringLiteral("2012-05-03")});
            click(&page, "Button1");
        }
        // Left at once: nothing stored.
        QCOMPARE(stored(), QStringLiteral("2012-05-03|三号;2012-04-30|上个月"));
        QVERIFY(f.boxes.seen.isEmpty());

        // An entry made while the machine's clock said 1999 can be listed.
        addEntry(QStringLiteral("1999-12-31"), QStringLiteral("千禧"));
        Tf_rijiben page;
        page.show();
        for (const auto& [field, typed] : {std::pair{"SpinEdit3", "1999"}, std::pair{"SpinEdit4", "12"}}) {
            find<NumberField>(&page, field)->selectAll();
            typeText(&page, field, QString::fromLatin1(typed));
        }
        click(&page, "Button54");
        QCOMPARE(column(&page, kGrid, Tf_rijiben::ColDate), QStringList{QStringLiteral("1999-12-31")});
        TEST_END
    }

    void typedTextIsWrittenWhenMovingOnAndOnSave()
    {
        TEST_BEGIN
        PageFixture f;
        addEntry(QStringLiteral("2012-05-03"), QStringLiteral("三号"));
        Tf_rijiben page;
        page.show();
        type(&page, QStringLiteral("It's \"晴\"\n"));
        pressCell(&page, kGrid, 1, Tf_rijiben::ColDate);
        QCOMPARE(memo(&page), QStringLiteral("三号"));
        QCOMPARE(stored(), QStringLiteral("2012-05-03|三号;2012-05-20|It's \"晴\"\n"));
        // The written entry stays in its place and is edited from now on.
        clickRow(&page, kGrid, 0);
        QCOMPARE(memo(&page), QStringLiteral("It's \"晴\"\n"));
        type(&page, QStringLiteral("多云"));
        click(&page, "Button4");
        QCOMPARE(TestDb::count(QStringLiteral("notebook")), qint64(2));
        QCOMPARE(TestDb::scalarText(QStringLiteral("select n_info from notebook where n_date='2012-05-20'")),
                 QStringLiteral("It's \"晴\"\n多云"));

        // Two entries of one day: 增加 writes the first, 查询 the second.
        click(&page, "Button1");
        type(&page, QStringLiteral("晚上"));
        click(&page, "Button54");
        QCOMPARE(column(&page, kGrid, Tf_rijiben::ColDate).join(u' '),
                 QStringLiteral("2012-05-20 2012-05-20 2012-05-03"));
        QCOMPARE(memo(&page), QStringLiteral("晚上"));  // the one written last first
        QVERIFY(f.boxes.seen.isEmpty());
        TEST_END
    }

    void anEntryMovedToAnotherMonthLeavesAtTheNextQuery()
    {
        TEST_BEGIN
        PageFixture f;
        const qint64 id = addEntry(QStringLiteral("2012-05-03"), QStringLiteral("三号"));
        addEntry(QStringLiteral("2012-05-01"), QStringLiteral("一号"));
        Tf_rijiben page;
        page.show();
        editCell(&page, kGrid, 1, Tf_rijiben::ColDate, QDate(2012, 4, 30));
        clickRow(&page, kGrid, 2);
        QCOMPARE(TestDb::scalarText(QStringLiteral("select n_date from notebook where id=%1").arg(id)),
                 QStringLiteral("2012-04-30"));
        QCOMPARE(cell(&page, kGrid, 1, Tf_rijiben::ColDate), QStringLiteral("2012-04-30"));  // listed until 查询
        click(&page, "Button54");
        QCOMPARE(column(&page, kGrid, Tf_rijiben::ColDate), QStringList{QStringLiteral("2012-05-01")});
        find<NumberField>(&page, "SpinEdit4")->setValue(4);
        click(&page, "Button54");
        QCOMPARE(memo(&page), QStringLiteral("三号"));

        // Cancel keeps the entry; OK deletes it.
        f.boxes.setAnswer(QMessageBox::Cancel);
        QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList{QStringLiteral("是否确定删除？")});
        QCOMPARE(TestDb::count(QStringLiteral("notebook")), qint64(2));
        f.boxes.setAnswer(QMessageBox::Ok);
        QCOMPARE(f.boxesAfterClick(&page, "Button3"), QStringList{QStringLiteral("是否确定删除？")});
        QCOMPARE(TestDb::count(QStringLiteral("notebook")), qint64(1));
        QCOMPARE(rowCount(&page, kGrid), 0);
        QVERIFY(find<QPlainTextEdit>(&page, "DBMemo1")->isReadOnly());
        QVERIFY(f.boxesAfterClick(&page, "Button3").isEmpty());  // nothing to delete
        TEST_END
    }

    void leavingThePageWritesTheTypedText()
    {
        TEST_BEGIN
        PageFixture f;
        {
            TForm1 form(false);
            clickLabel(&form, "Label4");
            type(&form, QStringLiteral("离开前"));
            clickLabel(&form, "Label3");
            QCOMPARE(stored(), QStringLiteral("2012-05-20|离开前"));
            // The program ends with text typed: the window's end writes it.
            clickLabel(&form, "Label4");
            find<QPlainTextEdit>(&form, "DBMemo1")->setPlainText(QStringLiteral("关闭前"));
        }
        QCOMPARE(stored(), QStringLiteral("2012-05-20|离开前;2012-05-20|关闭前"));
        TEST_END
    }

    void aRefusedWriteIsReportedAndTheTextKept()
    {
        TEST_BEGIN
        PageFixture f;
        addEntry(QStringLiteral("2012-05-03"), QStringLiteral("三号"));
        TestDb::sql(QStringLiteral(
            "create trigger no_diary before insert on notebook begin select raise(abort,'disk full'); end"));
        Tf_rijiben page;
        page.show();
        type(&page, QStringLiteral("要保存"));
        QCOMPARE(f.boxesAfterClick(&page, "Button4"), QStringList{QStringLiteral("数据库操作失败：\ndisk full")});
        // Moving on is refused too: the entry stays current with its text.
        f.boxes.clear();
        clickRow(&page, kGrid, 1);
        QCOMPARE(f.boxes.texts(), QStringList{QStringLiteral("数据库操作失败：\ndisk full")});
        QCOMPARE(grid(&page, kGrid)->currentIndex().row(), 0);
        QCOMPARE(memo(&page), QStringLiteral("要保存"));
        TestDb::sql(QStringLiteral("drop trigger no_diary"));
        click(&page, "Button54");
        QCOMPARE(stored(), QStringLiteral("2012-05-03|三号;2012-05-20|要保存"));
        TEST_END
    }
};

QTEST_MAIN(TstRijiben)
#include "tst_rijiben.moc"
